#pragma once

#include "analysis/TrackAnalyzer.h"
#include "compile/SnapSettings.h"
#include "compile/TimingEdit.h"
#include "core/TextRect.h"
#include "core/TrackPosition.h"
#include "lyrics/DrawCursor.h"
#include "lyrics/format/CaptureFile.h"
#include "lyrics/format/DwdCapture.h"

#include <QByteArray>
#include <QList>
#include <QPoint>
#include <QString>

class CdAudioDevice;
class CompileHost;
class CompileView;
class FileDialogs;
class MessageBoxes;
class TextCanvas;

// The compiler window's logic: it times a lyrics script by hand into a DWD
// file beside the script. Start plays the track and creates a working file
// beside the output; every Space or Enter takes the next piece, reads the disc
// position and appends a record at once; Backspace takes the last one back.
// Only End puts the new file in the output's place. Cancel, a syntax error, a
// failed record write, closing the window and a track that ends before the
// script is used up throw the take away and leave an existing output as it
// was. The working file is a valid DWD file after every press, so a take cut
// short by a crash can still be played (see CaptureFile for its name).
//
// The window shows the script's preview text in grey, turns each timed piece
// blue, scrolls a finished line away at the key press after it and keeps the
// piece being timed in view on long lines. Only the lines inside the text area
// are drawn, so a press costs the same whatever the script's length.
// Positions are minutes, seconds and frames within the track, 75 frames a
// second.
class DwdCompiler {
public:
    // The keys keyPressed times with; every other key only scrolls.
    static constexpr int KeySpace = 0x20;
    static constexpr int KeyEnter = 0x0D;
    // Takes back the last timed piece.
    static constexpr int KeyBackspace = 0x08;
    // A script larger than this is not a lyrics script: it is refused like an
    // unreadable one instead of being read whole into memory.
    static constexpr qint64 MaxScriptBytes = 16 * 1024 * 1024;
    static constexpr quint32 PreviewColor = 0x808080;    // grey
    static constexpr quint32 TimedColor = 0xFF0000;      // blue (red is the low byte)
    static constexpr quint32 RetimeMarkColor = 0xC0FFFF; // pale yellow behind the line to re-time from
    // A take from a line starts playing this long before the line's old time.
    static constexpr int RetimeLeadInFrames = 3 * 75;

    DwdCompiler(CompileHost& host, CompileView& view, CdAudioDevice& device, MessageBoxes& boxes,
                FileDialogs& dialogs, TextCanvas& canvas);
    ~DwdCompiler();

    // The dialog that asks for a script when the editor has none.
    static QString openDialogTitle();
    static QString openDialogFilter();
    static QString openDialogSuffix();

    // The DWD file written for a script: the path up to the first "." of its
    // file name, then ".dwd" ("/songs/a.live.txt" gives "/songs/a.dwd"). A
    // file name with no "." gets ".dwd" appended; a leading "." (a hidden
    // file) does not count as the start of an extension. An empty path, or
    // one that ends in a separator, names no file and gives an empty name.
    // When the result would be the script itself ("a.dwd"), ".dwd" is
    // appended to the whole path instead, so timing never overwrites a script.
    static QString makeOutputFileName(const QString& scriptPath);

    // Reads the whole script into sourceText; false (sourceText unchanged)
    // when it cannot be opened or read, or is larger than MaxScriptBytes. The
    // bytes are kept as they are: a NUL byte is an ordinary one-byte piece.
    bool loadScript(const QString& name);

    // The window's size: the text area and the buttons' row follow it. The
    // text area ends bottomReserve (the buttons' row and whatever stands
    // above it) plus 10 pixels above the bottom.
    void setClientArea(int width, int height, int bottomReserve);

    void createForm();
    // The full redraw of the canvas (on every resize and every paint). The
    // cursor's origin stays, so a scrolled view stays scrolled.
    void clientResized();
    void start();
    // key: KeySpace, KeyEnter, KeyBackspace or any other code; shift states
    // are not looked at. The window passes one call per physical press: key
    // repeat is dropped before it gets here.
    void keyPressed(int key);
    // The author's tap latency in milliseconds (negative: taps come early).
    // Every press is timed that much earlier in the music, so what was heard
    // is what gets timed.
    void setTapLatencyMs(int ms) { tapLatencyMs_ = ms; }
    int tapLatencyMs() const { return tapLatencyMs_; }
    // With snapping on, each press then moves to the nearest note onset of
    // the track within the window, never before the piece before it nor
    // after the position heard. Without an analysis of the track (a drive,
    // or one still being read) presses stay where they were.
    void setSnapping(const SnapSettings& snap) { snap_ = snap; }
    const SnapSettings& snapping() const { return snap_; }
    // The waveform and onsets of the track a take times: started when the
    // window opens and at Start, for the track the host plays.
    TrackAnalyzer& analyzer() { return analyzer_; }
    int analysedTrack() const { return analysedTrack_; }
    // The pieces of the take (where each was pressed, the latency taken off,
    // and where it was placed after the snap), or of the script's DWD file
    // opened for correction; edited in the timing view between takes.
    const QList<TimingEdit::Piece>& marks() const { return edit_.pieces(); }
    TimingEdit& edit() { return edit_; }
    // The disc's position within the timed track, nullopt when the device
    // does not answer.
    std::optional<TrackPosition> heardPosition();
    // Plays the timed track from a frame within it (P and L in the view);
    // false during a take.
    bool playFrom(int frame);
    void stopPlaying();
    // Writes the edited times into the script's DWD file through a working
    // file renamed over it (the file stays as it was until the new one is
    // whole); false after saying why.
    bool saveEdits();
    static QString saveMismatchMessage();
    // The latency in disc frames at a playback speed: a slowed disc moves
    // less music under the same delay. Rounded to the nearest frame, half a
    // frame away from zero.
    static int latencyFrames(int latencyMs, int speedPercent);
    // A click in the text area while no take runs picks the line to re-time
    // from: Start then keeps the existing file's records before that line,
    // plays from shortly before its old time and times on from there. A click
    // on the picked line, or on the first, picks none again.
    void onPanelMousePress(int x, int y);
    int retimeLine() const { return retimeLine_; }
    // How fast a take plays: percent of the normal speed (50..100), the
    // pitch kept. A running take changes speed at once; the times recorded
    // stay in disc time, and the disc is back at normal speed after the take.
    void setSpeedPercent(int percent);
    int speedPercent() const { return speedPercent_; }
    void end();
    // The playback monitor saw the track change or the disc stop during a
    // capture. A take whose script is used up is finished as by End; an
    // unfinished one never replaces an existing file and is thrown away then
    // (with no file to protect it is kept, as End would).
    void trackChanged();
    void cancel();
    // The editor's script may have changed: take it up now, or when the
    // running capture ends.
    void reloadScript();
    // The window is closing: a running capture is cancelled and its file
    // deleted, then the main window gets the focus and its buttons back.
    void shutDown();

    // What the playback monitor asks before it ends a capture with end:
    // false also while a failed capture is being thrown away.
    bool captureRunning() const { return compiling_ && !windingUp_; }

    bool compiling() const { return compiling_; }
    bool reloadPending() const { return reloadPending_; }
    const QByteArray& sourceText() const { return sourceText_; }
    const QByteArray& previewText() const { return previewText_; }
    const QByteArray& timedText() const { return timedText_; }
    const QString& outputFileName() const { return outputFileName_; }
    // The capture's working file while a capture runs.
    QString workingFileName() const { return capture_.workingName(); }
    int timedPieces() const { return capture_.pieceCount(); }
    qsizetype scriptPosition() const { return capture_.scriptPosition(); }
    qint32 pendingLineBreaks() const { return pendingLineBreaks_; }
    TrackPosition currentPosition() const { return currentPosition_; }
    TrackPosition previousPosition() const { return previousPosition_; }
    const DrawCursor& previewCursor() const { return previewCursor_; }
    QPoint timedPen() const { return timedPen_; }
    TextRect textArea() const { return textArea_; }

    static QString compilingMessage();
    static QString noSourceMessage();
    static QString sourceUnreadableMessage();
    static QString overwriteQuestion(const QString& outputFileName);
    static QString overwriteCaption();
    static QString openFailedMessage();
    static QString headerFailedMessage();
    static QString recordFailedMessage();
    static QString reloadFailedMessage();
    static QString errorCaption();
    static QString reloadErrorCaption();
    static QString retimeUnreadableMessage();
    static QString retimeMismatchMessage();
    // A take cut short by the track's end, kept in its working file.
    static QString partialTakeMessage(const QString& keptFileName, const QString& outputFileName);

private:
    void showError(const QString& text, const QString& caption);
    // previewText and outputFileName of a script just loaded from name.
    void takeUpScript(const QString& name);
    // The shared end of end and cancel: the capture is over.
    void finishCapture();
    void keepPartialTake();
    // A syntax error or a failed record: the file goes at once, so that no
    // end of the capture in between can finish it; then the message.
    void abandonCapture(const QString& message);
    void resetView();
    // Backspace: the last piece turns grey again and is timed anew next.
    void takeBack();
    // Draws the lines of text that fall inside the text area, from the
    // cursor's origin; lineStarts holds the offset of every line.
    void drawVisibleLines(QByteArrayView text, const QList<qsizetype>& lineStarts);
    // Moves the view sideways so that the pen of the next piece stays in
    // sight; true when the view moved and needs a redraw.
    bool followPen();
    void appendTimed(const QByteArray& piece);
    void sendSpeed(int percent);
    // "play cdaudio from": the track from a time within it.
    bool sendPlayFrom(int track, const TrackPosition& from);
    // What a take from a line keeps of the existing file.
    struct Retake {
        QByteArray records;     // the kept records' bytes
        QByteArray text;        // their pieces' texts, joined
        qsizetype position = 0; // where the script goes on
        TrackPosition lastTime; // the running time after the kept records
        TrackPosition playFrom; // where the disc starts
    };
    // Nullopt (after saying why) when the existing file cannot be read or
    // does not belong to the script as it is now.
    std::optional<Retake> planRetake(int line);
    // The time a press at the heard position records: the latency taken
    // off, never before the previous press (a delta is never negative) nor
    // before the start of the track.
    TrackPosition pressTime(const TrackPosition& heard) const;
    // The press time moved onto an onset, when snapping finds one.
    int snappedFrames(int pressed, const TrackPosition& heard) const;
    // Starts reading the host's track, unless it is the one read already.
    void prepareAnalysis();

    CompileHost& host_;
    CompileView& view_;
    CdAudioDevice& device_;
    MessageBoxes& boxes_;
    FileDialogs& dialogs_;
    TextCanvas& canvas_;

    bool compiling_ = false;
    bool reloadPending_ = false;
    // Set while a capture is being ended or thrown away: message boxes shown
    // meanwhile run timer ticks, which must not end it a second time.
    bool windingUp_ = false;
    QByteArray sourceText_;
    QByteArray previewText_;
    QByteArray timedText_;
    QString outputFileName_;
    CaptureFile captureFile_;
    DwdCapture capture_{captureFile_};
    QList<qsizetype> previewLines_;
    QList<qsizetype> timedLines_;
    // What a press changed in the view, to take it back.
    struct Tap {
        qsizetype timedSize;
        QPoint pen;
        TrackPosition current;
        TrackPosition previous;
    };
    QList<Tap> taps_;
    TimingEdit edit_;
    // Opens the script's DWD file in the view when there is one.
    void loadEdits();
    SnapSettings snap_;
    TrackAnalyzer analyzer_;
    QString analysedImage_;
    int analysedTrack_ = 0;
    qint32 pendingLineBreaks_ = 0;
    TrackPosition currentPosition_;
    TrackPosition previousPosition_;
    int timedTrack_ = 0;
    int retimeLine_ = 0;
    int tapLatencyMs_ = 0;
    // The playback speed in percent (50 to 100) while timing.
    int speedPercent_ = 100;
    DrawCursor previewCursor_;
    QPoint timedPen_;
    TextRect textArea_;
    int clientWidth_ = 0;
    int clientHeight_ = 0;
    int startButtonHeight_ = 0;
};
