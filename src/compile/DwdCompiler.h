#pragma once

#include "compile/DwdCapture.h"
#include "core/TextRect.h"
#include "core/TrackPosition.h"
#include "lyrics/DrawCursor.h"

#include <QByteArray>
#include <QFile>
#include <QPoint>
#include <QString>

class CdAudioDevice;
class CompileHost;
class CompileView;
class FileDialogs;
class MessageBoxes;
class TextCanvas;

// The compiler window's logic: it times a lyrics script by hand into a DWD
// file beside the script. Start plays the track and writes the provisional
// header; every Space or Enter takes the next piece, reads the disc position
// and appends a record at once; End rewrites the header with the final size.
// Cancel, a syntax error, a failed record write and closing the window delete
// the file, so a file whose size field matches its length is always complete.
//
// The window shows the script's preview text in grey, turns each timed piece
// blue, and scrolls a finished line away at the key press after it. Positions
// are minutes, seconds and frames within the track, 75 frames a second.
class DwdCompiler {
public:
    // The keys FormKeyDown times with; every other key only scrolls.
    static constexpr int KeySpace = 0x20;
    static constexpr int KeyEnter = 0x0D;
    // A script larger than this is not a lyrics script: it is refused like an
    // unreadable one instead of being read whole into memory.
    static constexpr qint64 MaxScriptBytes = 16 * 1024 * 1024;
    static constexpr quint32 PreviewColor = 0x808080; // grey
    static constexpr quint32 TimedColor = 0xFF0000;   // blue (red is the low byte)

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
    static QString MakeOutputFileName(const QString& scriptPath);

    // Reads the whole script into SourceText; false (SourceText unchanged)
    // when it cannot be opened or read, or is larger than MaxScriptBytes. The
    // bytes are kept as they are: a NUL byte is an ordinary one-byte piece.
    bool LoadScript(const QString& name);

    // The window's size: the text area and the buttons' row follow it.
    void setClientArea(int width, int height, int startButtonHeight);

    void FormCreate();
    // The full redraw of the canvas (on every resize and every paint). The
    // cursor's origin stays, so a scrolled view stays scrolled.
    void FormResize();
    void StartClick();
    // key: KeySpace, KeyEnter or any other code; shift states are not looked at.
    void FormKeyDown(int key);
    void EndClick();
    void CancelClick();
    // The editor's script may have changed: take it up now, or when the
    // running capture ends.
    void ReloadScript();
    // The window is closing: a running capture is cancelled and its file
    // deleted, then the main window gets the focus and its buttons back.
    void FormClose();

    // What the playback monitor asks before it ends a capture with EndClick:
    // false also while a failed capture is being thrown away.
    bool captureRunning() const { return compiling_ && !windingUp_; }

    bool Compiling() const { return compiling_; }
    bool ReloadPending() const { return reloadPending_; }
    const QByteArray& SourceText() const { return sourceText_; }
    const QByteArray& PreviewText() const { return previewText_; }
    const QByteArray& TimedText() const { return timedText_; }
    const QString& OutputFileName() const { return outputFileName_; }
    qsizetype ScriptPos() const { return capture_.scriptPosition(); }
    qint32 PendingLineBreaks() const { return pendingLineBreaks_; }
    TrackPosition CurrentPosition() const { return currentPosition_; }
    TrackPosition PreviousPosition() const { return previousPosition_; }
    const DrawCursor& PreviewCursor() const { return previewCursor_; }
    QPoint TimedPen() const { return timedPen_; }
    TextRect TextArea() const { return textArea_; }

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

private:
    void showError(const QString& text, const QString& caption);
    // PreviewText and OutputFileName of a script just loaded from name.
    void takeUpScript(const QString& name);
    // The shared end of EndClick and CancelClick: the capture is over.
    void finishCapture();
    // A syntax error or a failed record: the file goes at once, so that no
    // end of the capture in between can finish it; then the message.
    void abandonCapture(const QString& message);
    void discardOutputFile();
    void resetView();

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
    QFile outputFile_;
    DwdCapture capture_;
    qint32 pendingLineBreaks_ = 0;
    TrackPosition currentPosition_;
    TrackPosition previousPosition_;
    DrawCursor previewCursor_;
    QPoint timedPen_;
    TextRect textArea_;
    int clientWidth_ = 0;
    int clientHeight_ = 0;
    int startButtonHeight_ = 0;
};
