#pragma once

#include "core/ColorValue.h"
#include "lyrics/DrawCursor.h"
#include "lyrics/ExtendedText.h"
#include "lyrics/WordsSource.h"
#include "lyrics/format/DwdCommand.h"

#include <QPoint>
#include <optional>
#include <vector>

class LyricDisplay;
class TextCanvas;

// The lyrics of the playing track as the main window holds them.
//
// The whole lyrics file is scanned once at play start to build the pages of
// pre text (the lyrics shown in advance, in preColor_): every "clear" or
// "pausepre" starts a new page. During playback each record's commands are
// applied as it is read, and its text, once due, is drawn over the same place
// of the pre text in fontColor_ and kept in writtenText_.
//
// Both layers are drawn the same way: one run per piece, each piece starting
// where the text before it ended (the pen), so a piece reached lands on its
// own pre text. A run has a position only where the text jumps: a
// "setcursor", or the start of a page, which continues from the write
// position. Every reached piece keeps the position and font it was drawn with,
// and the pages begin with the track's starting font, so a full redraw gives
// back exactly the picture that was on screen.
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

    std::vector<ExtendedText> pages; // pre text, one page per section of the lyrics
    qint32 PageIndex = 0;            // page most recently brought into view; only grows
    ExtendedText shownPreText_;      // pre text now on screen
    ExtendedText writtenText_;       // text already reached
    quint32 backColor_ = InitialBackColor;
    quint32 fontColor_ = InitialFontColor;
    quint32 preColor_ = InitialPreColor; // no command changes it
    TextRect displayRect;                // clip rectangle of all lyric drawing
    QPoint writePos;                     // where the next reached piece is drawn
    qint32 WriteLineHeight = 0;          // how tall the line at writePos already is
    DrawCursor cursor;                   // draws on the display window's canvas

    // Drops the lyrics of the previous file and takes the initial colours.
    void reset();
    // Play start, before the scan: reset, bind the cursor to the display's
    // canvas and give it back its window font (a track never inherits the
    // previous track's), writePos (0, 0), one empty page that starts in that
    // font. display may be null (no window reactions to "formsize" and
    // "backcolor").
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
    // The pending record is due: its text is drawn at writePos in fontColor_
    // and the canvas font, kept with them in writtenText_, and writePos moves to
    // where the drawing ended. In wipe mode nothing is drawn yet: the piece
    // starts filling at dueMs (milliseconds within the track), and the piece
    // filling before it is drawn whole first.
    void reach(QByteArrayView pendingText, qint64 dueMs = 0);

    // The wipe: each reached piece fills with the sung colour from its left
    // edge to its right, over the time to the next piece but at most
    // WipeCapMs, so a held last syllable before a pause still fills at singing
    // pace. Only the piece reached last can be filling: the next one is due
    // no sooner than it is full.
    static constexpr qint64 WipeCapMs = 1000;
    // Switching the wipe off draws a filling piece whole; switching it on
    // fills the pieces reached from then on.
    void setWipe(bool on);
    bool wipe() const { return wipe_; }
    // The next piece is due at nextDueMs: the filling piece is full by then.
    void setWipeEnd(qint64 nextDueMs);
    // Draws the fill as it stands at nowMs: only the part that has filled
    // since the last call; its first column turns at the piece's time. True
    // while the piece is not yet full.
    bool drawWipe(qint64 nowMs);
    // When the next column of the filling piece turns; none while no piece fills.
    std::optional<qint64> nextColumnMs() const;
    // When the filling piece will be full; none while no piece fills.
    std::optional<qint64> wipeEndMs() const;
    PartFill writtenFill() const override;
    // Playback stopped: the lists are released and the display is let go.
    void end();
    // The display window is going away: nothing is drawn or asked of it any more.
    void detachDisplay();

    qint32 pageCount() const { return qint32(pages.size()); }

    quint32 wordsBackColor() const override { return backColor_; }
    quint32 wordsFontColor() const override { return fontColor_; }
    quint32 wordsPreColor() const override { return preColor_; }
    const ExtendedText& shownPreText() const override { return shownPreText_; }
    const ExtendedText& writtenText() const override { return writtenText_; }
    void setDisplayRect(const TextRect& rect) override { displayRect = rect; }

private:
    // The run that the next text of the last page goes into: its last run
    // while that holds no text yet, else a new run carrying on its font.
    ExtendedCharPlusPos& nextPreRun();
    void startNextPage();
    // Moves to the next page and places its first run at writePos; null past the last page.
    const ExtendedText* bringNextPage();
    void redrawWithWordsCursor();

    LyricDisplay* display_ = nullptr;

    // The piece being filled: its run in writtenText_, when it starts and is
    // full, its lines' length laid end to end and how much of it is drawn.
    struct Fill {
        qint32 index = -1;
        qint64 startMs = 0;
        qint64 endMs = 0;
        int length = 0;
        int filled = 0;
    };
    void finishWipe();
    Fill fill_;
    bool wipe_ = false;
};
