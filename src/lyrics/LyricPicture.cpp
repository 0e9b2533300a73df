#include "LyricPicture.h"

#include "lyrics/DrawCursor.h"
#include "lyrics/TextCanvas.h"
#include "lyrics/WordsSource.h"

void LyricPicture::drawWhole(DrawCursor& cursor, const WordsSource& source, const TextRect& rect)
{
    TextCanvas* canvas = cursor.canvas();
    if (!canvas)
        return;
    const quint32 savedColor = canvas->fontColor();
    canvas->setBrushColor(source.wordsBackColor());
    canvas->fillRect(rect);
    cursor.setFontColor(source.wordsPreColor());
    cursor.setPen(0, 0);
    cursor.drawExtendedText(rect, 0, 0, source.shownPreText());
    cursor.setFontColor(source.wordsFontColor());
    cursor.setPen(0, 0);
    cursor.drawExtendedText(rect, 0, 0, source.writtenText(), source.writtenFill());
    canvas->setFontColor(savedColor);
}
