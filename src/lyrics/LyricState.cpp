#include "lyrics/LyricState.h"

#include "lyrics/LyricDisplay.h"
#include "lyrics/TextCanvas.h"

namespace {
quint32 colorOf(const DwdCommand& command)
{
    return ColorValue::fromArguments(command.args[0], command.args[1], command.args[2]);
}

// The palette-relative kind of colour that commands carry.
constexpr quint8 PaletteRgb = 2;
} // namespace

void LyricState::reset()
{
    WordsPages.clear();
    PageIndex = 0;
    ShownPreText = {};
    WrittenText = {};
    WordsBackColor = InitialBackColor;
    WordsFontColor = InitialFontColor;
    WordsPreColor = InitialPreColor;
}

void LyricState::begin(TextCanvas* canvas, LyricDisplay* display)
{
    reset();
    WordsCursor.bindCanvas(canvas);
    display_ = display;
    WritePos = QPoint(0, 0);
    WordsPages.assign(1, ExtendedText{});
}

bool LyricState::scanCommand(const DwdCommand& command)
{
    if (!command.complete)
        return true;
    if (WordsPages.empty())
        WordsPages.emplace_back();
    ExtendedText& last = WordsPages.back();
    switch (command.code) {
    case DwdCode::FontSize: {
        ExtendedCharPlusPos element = last.derivedElement();
        element.setSize(command.args[0]);
        last.append(element);
        break;
    }
    case DwdCode::FontPreColor:
        last.append(placedPreColorElement(command));
        break;
    case DwdCode::SetCursor: {
        ExtendedCharPlusPos element = last.derivedElement();
        element.setPos(command.args[0], command.args[1]);
        last.append(element);
        break;
    }
    case DwdCode::Clear:
    case DwdCode::PausePre:
        startNextPage();
        break;
    default:
        break;
    }
    return false;
}

// The pre colour starts where the text before it ends. That text's start is
// known only if its run has a position, so the end is measured from there: its
// last line's width across, and one line height down for every line break that
// is followed by more text.
ExtendedCharPlusPos LyricState::placedPreColorElement(const DwdCommand& command) const
{
    const ExtendedText& last = WordsPages.back();
    const ExtendedCharPlusPos* before = last.getItem(last.count() - 1);
    const QByteArray text = before ? before->text() : QByteArray();
    qint32 baseX = 0, baseY = 0;
    if (before)
        before->getPos(baseX, baseY);

    ExtendedCharPlusPos element = last.derivedElement();
    int breaks = 0;
    for (qsizetype i = 0; i + 1 < text.size(); ++i)
        breaks += text[i] == '\n';
    const qsizetype lastBreak = text.lastIndexOf('\n');
    const QByteArrayView tail = QByteArrayView(text).sliced(lastBreak + 1);

    int width = 0, height = 0;
    if (TextCanvas* canvas = WordsCursor.canvas()) {
        const qint32 canvasSize = canvas->fontSize();
        qint32 size;
        if (element.getSize(size))
            canvas->setFontSize(size);
        width = canvas->textWidth(tail);
        height = canvas->textHeight(text);
        canvas->setFontSize(canvasSize);
    }
    element.setPos(baseX + width, baseY + height * breaks);
    element.setColor(quint8(command.args[0]), quint8(command.args[1]), quint8(command.args[2]), PaletteRgb);
    return element;
}

void LyricState::startNextPage()
{
    const ExtendedCharPlusPos element = WordsPages.back().derivedElement();
    WordsPages.emplace_back();
    WordsPages.back().append(element);
}

void LyricState::scanText(QByteArrayView pieceText)
{
    if (WordsPages.empty())
        WordsPages.emplace_back();
    WordsPages.back().appendText(pieceText);
}

void LyricState::startPlayback()
{
    PageIndex = 0;
}

bool LyricState::applyCommand(const DwdCommand& command)
{
    if (!command.complete) {
        // The background is repainted even so, in the colour it already has.
        if (command.code == DwdCode::BackColor && display_)
            display_->FormResize();
        return true;
    }
    switch (command.code) {
    case DwdCode::FormSize:
        if (display_)
            display_->setClientSize(command.args[0], command.args[1]);
        break;
    case DwdCode::BackColor:
        WordsBackColor = colorOf(command);
        if (display_)
            display_->FormResize();
        break;
    case DwdCode::FontSize: {
        WordsCursor.setFontSize(command.args[0]);
        ExtendedCharPlusPos element = WrittenText.derivedElement();
        element.setSize(command.args[0]);
        WrittenText.append(element);
        break;
    }
    case DwdCode::FontColor: {
        WordsFontColor = colorOf(command);
        ExtendedCharPlusPos element = WrittenText.derivedElement();
        element.setPos(WritePos.x(), WritePos.y());
        element.setColor(WordsFontColor);
        WrittenText.append(element);
        break;
    }
    case DwdCode::SetCursor: {
        WritePos = QPoint(command.args[0], command.args[1]);
        ExtendedCharPlusPos element = WrittenText.derivedElement();
        element.setPos(WritePos.x(), WritePos.y());
        WrittenText.append(element);
        break;
    }
    case DwdCode::Clear: {
        ExtendedCharPlusPos element = WrittenText.derivedElement();
        element.setPos(WritePos.x(), WritePos.y());
        WrittenText.setSingle(element);
        const ExtendedText* page = bringNextPage();
        ShownPreText = page ? *page : ExtendedText();
        redrawWithWordsCursor();
        break;
    }
    case DwdCode::PausePre:
        if (const ExtendedText* page = bringNextPage())
            ShownPreText.append(*page);
        redrawWithWordsCursor();
        break;
    default: // "fontprecolor" is already in the pages; "writepre" and unknown codes do nothing
        break;
    }
    return false;
}

const ExtendedText* LyricState::bringNextPage()
{
    // Past the last page (both passes disagree only on a damaged file) the index
    // stops one beyond it and no pre text is shown.
    if (PageIndex < pageCount())
        ++PageIndex;
    if (PageIndex < 0 || PageIndex >= pageCount())
        return nullptr;
    ExtendedText& page = WordsPages[size_t(PageIndex)];
    if (const ExtendedCharPlusPos* first = page.getItem(0)) {
        ExtendedCharPlusPos placed = *first;
        placed.setPos(WritePos.x(), WritePos.y());
        page.setItem(0, placed);
    }
    return &page;
}

// The redraw after a page change keeps the pen where it is: the first run of
// each list carries the write position.
void LyricState::redrawWithWordsCursor()
{
    TextCanvas* canvas = WordsCursor.canvas();
    if (!canvas)
        return;
    canvas->setBrushColor(WordsBackColor);
    canvas->fillRect(DisplayRect);
    WordsCursor.setFontColor(WordsPreColor);
    WordsCursor.DrawExtendedText(DisplayRect, 0, 0, ShownPreText);
    WordsCursor.setFontColor(WordsFontColor);
    WordsCursor.DrawExtendedText(DisplayRect, 0, 0, WrittenText);
}

void LyricState::drawInitialPicture(const TextRect& clientRect)
{
    DisplayRect = clientRect;
    const ExtendedText* page =
        PageIndex >= 0 && PageIndex < pageCount() ? &WordsPages[size_t(PageIndex)] : nullptr;
    ShownPreText = page ? *page : ExtendedText();
    TextCanvas* canvas = WordsCursor.canvas();
    if (!canvas)
        return;
    canvas->setBrushColor(WordsBackColor);
    canvas->fillRect(DisplayRect);
    WordsCursor.setFontColor(WordsPreColor);
    WordsCursor.setPen(0, 0);
    WordsCursor.DrawExtendedText(DisplayRect, 0, 0, ShownPreText);
}

void LyricState::reach(QByteArrayView pendingText)
{
    WordsCursor.setPen(WritePos.x(), WritePos.y());
    WrittenText.appendText(pendingText);
    WordsCursor.setFontColor(WordsFontColor);
    WordsCursor.DrawString(DisplayRect, 0, 0, pendingText);
    WritePos = WordsCursor.pen();
}

void LyricState::end()
{
    WordsPages.clear();
    ShownPreText = {};
    WrittenText = {};
    detachDisplay();
}

void LyricState::detachDisplay()
{
    WordsCursor.bindCanvas(nullptr);
    display_ = nullptr;
}
