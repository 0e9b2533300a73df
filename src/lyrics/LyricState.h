#pragma once

#include "core/ColorValue.h"
#include "core/DwdCommand.h"
#include "lyrics/DrawCursor.h"
#include "lyrics/ExtendedText.h"
#include "lyrics/WordsSource.h"

#include <QPoint>
#include <vector>

class LyricDisplay;
class TextCanvas;

// The lyrics of the playing track as the main window holds them.
//
// The whole lyrics file is scanned once at play start to build the pages of
// pre text (the lyrics shown in advance, in WordsPreColor): every "clear" or
// "pausepre" starts a new page. During playback each record's commands are
// applied as it is read, and its text, once due, is drawn over the same place
// of the pre text in WordsFontColor and kept in WrittenText. Both passes see
// the same commands and texts, so the two layers line up.
//
// Order of use, for each play of a track with a lyrics file:
//   reset (optional, when the previous lyrics are dropped before the file is opened)
//   begin -> scanCommand / scanText for every record -> startPlayback ->
//   applyCommand for the first record's commands -> drawInitialPicture ->
//   { reach the pending text; applyCommand for the next record's commands }* -> end
// A command cut short by the end of the file (DwdCommand::complete false)
// changes nothing, and scanCommand/applyCommand return true: the lyrics have ended.
class LyricState final : public WordsSource {
public:
    static constexpr quint32 InitialBackColor = ColorValue::WindowBackground;
    static constexpr quint32 InitialFontColor = 0x00FF0000; // blue
    static constexpr quint32 InitialPreColor = 0x00808080;  // grey

    std::vector<ExtendedText> WordsPages; // pre text, one page per section of the lyrics
    qint32 PageIndex = 0;                 // page most recently brought into view; only grows
    ExtendedText ShownPreText;            // pre text now on screen
    ExtendedText WrittenText;             // text already reached
    quint32 WordsBackColor = InitialBackColor;
    quint32 WordsFontColor = InitialFontColor;
    quint32 WordsPreColor = InitialPreColor; // no command changes it
    TextRect DisplayRect;                    // clip rectangle of all lyric drawing
    QPoint WritePos;                         // where the next reached piece is drawn
    DrawCursor WordsCursor;                  // draws on the display window's canvas

    // Drops the lyrics of the previous file and takes the initial colours.
    void reset();
    // Play start, before the scan: reset, bind the cursor to the display's
    // canvas, WritePos (0, 0), one empty page. display may be null (no window
    // reactions to "formsize" and "backcolor").
    void begin(TextCanvas* canvas, LyricDisplay* display);
    // The scan of one record: its commands in file order, then its text.
    [[nodiscard]] bool scanCommand(const DwdCommand& command);
    void scanText(QByteArrayView pieceText);
    // After the scan, before the first record's commands are applied: back to the first page.
    void startPlayback();
    // A record's command during playback, as soon as the record is read.
    [[nodiscard]] bool applyCommand(const DwdCommand& command);
    // The first picture: the client rectangle filled with the background and
    // the current page of pre text drawn from the top left.
    void drawInitialPicture(const TextRect& clientRect);
    // The pending record is due: its text is drawn at WritePos in WordsFontColor
    // and WritePos moves to where the drawing ended.
    void reach(QByteArrayView pendingText);
    // Playback stopped: the lists are released and the display is let go.
    void end();
    // The display window is going away: nothing is drawn or asked of it any more.
    void detachDisplay();

    qint32 pageCount() const { return qint32(WordsPages.size()); }

    quint32 wordsBackColor() const override { return WordsBackColor; }
    quint32 wordsFontColor() const override { return WordsFontColor; }
    quint32 wordsPreColor() const override { return WordsPreColor; }
    const ExtendedText& shownPreText() const override { return ShownPreText; }
    const ExtendedText& writtenText() const override { return WrittenText; }
    void setDisplayRect(const TextRect& rect) override { DisplayRect = rect; }

private:
    ExtendedCharPlusPos placedPreColorElement(const DwdCommand& command) const;
    void startNextPage();
    // Moves to the next page and places its first run at WritePos; null past the last page.
    const ExtendedText* bringNextPage();
    void redrawWithWordsCursor();

    LyricDisplay* display_ = nullptr;
};
