#include "compile/DwdCompiler.h"

#include "compile/CompileHost.h"
#include "compile/CompileView.h"
#include "compile/ScriptReader.h"
#include "core/ColorValue.h"
#include "lyrics/TextCanvas.h"
#include "platform/FileDialogs.h"
#include "platform/MessageBoxes.h"
#include "player/DeviceCommands.h"

#include <QDir>
#include <QFileInfo>

DwdCompiler::DwdCompiler(CompileHost& host, CompileView& view, CdAudioDevice& device, MessageBoxes& boxes,
                         FileDialogs& dialogs, TextCanvas& canvas)
    : host_(host), view_(view), device_(device), boxes_(boxes), dialogs_(dialogs), canvas_(canvas)
{
    previewCursor_.bindCanvas(&canvas_);
}

// A window destroyed in the middle of a capture (the program ending) must not
// leave a file behind that only looks like a lyrics file.
DwdCompiler::~DwdCompiler()
{
    if (compiling_)
        discardOutputFile();
}

QString DwdCompiler::openDialogTitle()
{
    return QStringLiteral("歌詞ファイルにするテキストファイルを選択");
}

QString DwdCompiler::openDialogFilter()
{
    return QStringLiteral("テキストファイル（*.txt）|*.txt");
}

QString DwdCompiler::openDialogSuffix()
{
    return QStringLiteral("txt");
}

QString DwdCompiler::compilingMessage()
{
    return QStringLiteral("コンパイル中です。\n再コンパイルするには一旦コンパイルを中断してください。");
}

QString DwdCompiler::noSourceMessage()
{
    return QStringLiteral("ソースファイルが指定されていません。");
}

QString DwdCompiler::sourceUnreadableMessage()
{
    return QStringLiteral("ソースファイルの読み込みに失敗しました。");
}

QString DwdCompiler::overwriteQuestion(const QString& outputFileName)
{
    return outputFileName + QStringLiteral(" はすでに存在します。\n") + QStringLiteral("上書きしますか？");
}

QString DwdCompiler::overwriteCaption()
{
    return QStringLiteral("ファイルが存在");
}

QString DwdCompiler::openFailedMessage()
{
    return QStringLiteral("ファイルのオープンに失敗しました。");
}

QString DwdCompiler::headerFailedMessage()
{
    return QStringLiteral("ヘッダの書き込みに失敗しました。");
}

QString DwdCompiler::recordFailedMessage()
{
    return QStringLiteral("ファイルへの書き込みに失敗しました。");
}

QString DwdCompiler::reloadFailedMessage()
{
    return QStringLiteral("データの更新ができませんでした。");
}

QString DwdCompiler::errorCaption()
{
    return QStringLiteral("ERROR");
}

QString DwdCompiler::reloadErrorCaption()
{
    return QStringLiteral("Make DWD file : ERROR");
}

QString DwdCompiler::MakeOutputFileName(const QString& scriptPath)
{
    const qsizetype separator =
        std::max(scriptPath.lastIndexOf(QLatin1Char('/')), scriptPath.lastIndexOf(QDir::separator()));
    const QString folder = scriptPath.left(separator + 1);
    const QString fileName = scriptPath.mid(separator + 1);
    if (fileName.isEmpty())
        return {};
    qsizetype nameStart = 0;
    while (nameStart < fileName.size() && fileName[nameStart] == QLatin1Char('.'))
        ++nameStart;
    const qsizetype dot = fileName.indexOf(QLatin1Char('.'), nameStart);
    const QString output = folder + (dot < 0 ? fileName : fileName.left(dot)) + QStringLiteral(".dwd");
    // Compared without case: on some file systems "a.DWD" and "a.dwd" are one file.
    if (output.compare(scriptPath, Qt::CaseInsensitive) == 0)
        return scriptPath + QStringLiteral(".dwd");
    return output;
}

bool DwdCompiler::LoadScript(const QString& name)
{
    if (name.isEmpty() || QFileInfo(name).isDir())
        return false;
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray text;
    for (;;) {
        const QByteArray block = file.read(64 * 1024);
        if (block.isEmpty())
            break;
        text += block;
        if (text.size() > MaxScriptBytes)
            return false;
    }
    if (file.error() != QFileDevice::NoError)
        return false;
    sourceText_ = text;
    return true;
}

void DwdCompiler::setClientArea(int width, int height, int startButtonHeight)
{
    clientWidth_ = width;
    clientHeight_ = height;
    startButtonHeight_ = startButtonHeight;
}

void DwdCompiler::showError(const QString& text, const QString& caption)
{
    boxes_.show(caption, text, BoxIcon::Error, BoxButtons::Ok);
}

void DwdCompiler::takeUpScript(const QString& name)
{
    const ScriptReader::Preview preview = ScriptReader::BuildPreviewText(sourceText_);
    if (!preview.error.isEmpty())
        showError(preview.error, errorCaption());
    previewText_ = preview.text;
    outputFileName_ = MakeOutputFileName(name);
}

void DwdCompiler::resetView()
{
    previewCursor_.setPen(0, 0);
    previewCursor_.setOrigin(0, 0);
}

void DwdCompiler::FormCreate()
{
    QString name = host_.EditorFileName();
    if (name.isEmpty()) {
        if (const std::optional<QString> chosen =
                dialogs_.openFile(openDialogTitle(), openDialogFilter(), openDialogSuffix()))
            name = *chosen;
    }
    if (!LoadScript(name)) {
        showError(sourceUnreadableMessage(), errorCaption());
        name.clear();
    }
    takeUpScript(name);
    FormResize();
}

void DwdCompiler::FormResize()
{
    textArea_ = TextRect{10, 10, clientWidth_ - 10, clientHeight_ - (startButtonHeight_ + 10)};
    canvas_.setBrushClear(false);
    canvas_.setBrushColor(ColorValue::ButtonFace);
    canvas_.fillRect(TextRect{0, 0, clientWidth_, clientHeight_});
    canvas_.setBrushColor(ColorValue::WindowBackground);
    canvas_.fillRect(textArea_);
    if (!sourceText_.isEmpty()) {
        canvas_.setFontColor(PreviewColor);
        previewCursor_.setPen(0, 0);
        previewCursor_.DrawString(textArea_, 10, 10, previewText_);
    }
    if (compiling_) {
        canvas_.setFontColor(TimedColor);
        previewCursor_.setPen(0, 0);
        previewCursor_.DrawString(textArea_, 10, 10, timedText_);
    }
}

void DwdCompiler::StartClick()
{
    if (compiling_) {
        showError(compilingMessage(), errorCaption());
        return;
    }
    if (sourceText_.isEmpty()) {
        const QString name = host_.EditorFileName();
        if (name.isEmpty()) {
            showError(noSourceMessage(), errorCaption());
            return;
        }
        if (!LoadScript(name)) {
            showError(sourceUnreadableMessage(), errorCaption());
            return;
        }
        takeUpScript(name);
    }
    // Asked whenever the file exists, also when it cannot be read: it is
    // replaced all the same.
    if (QFileInfo::exists(outputFileName_) &&
        boxes_.show(overwriteCaption(), overwriteQuestion(outputFileName_), BoxIcon::Warning,
                    BoxButtons::OkCancel) == BoxButton::Cancel)
        return;

    outputFile_.setFileName(outputFileName_);
    if (outputFileName_.isEmpty() || !outputFile_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        showError(openFailedMessage(), errorCaption());
        return;
    }
    capture_.setScript(sourceText_);
    // The provisional header says 7 bytes, so even a file left by a crash is
    // refused by the player; one that could not get its header is removed.
    if (!capture_.begin(outputFile_) || !outputFile_.flush()) {
        discardOutputFile();
        showError(headerFailedMessage(), errorCaption());
        return;
    }

    compiling_ = true;
    view_.setStartEnabled(false);
    view_.focusWindow();

    canvas_.setFontColor(PreviewColor);
    resetView();
    pendingLineBreaks_ = 0;
    previewCursor_.DrawString(textArea_, 10, 10, previewText_);
    timedPen_ = QPoint(0, 0);
    timedText_.clear();

    host_.PlayClick();
    // The first record is timed from the start of the track.
    currentPosition_ = TrackPosition{};
    FormResize();
}

void DwdCompiler::FormKeyDown(int key)
{
    if (!compiling_ || windingUp_)
        return;
    // The line finished at the previous press scrolls away now, so the line
    // being timed stays at the top of the text area.
    if (pendingLineBreaks_ > 0) {
        previewCursor_.moveOrigin(0, -pendingLineBreaks_ * previewCursor_.textHeight("A"));
        FormResize();
        pendingLineBreaks_ = 0;
    }
    if (key != KeySpace && key != KeyEnter)
        return;
    // The user took the focus back from End after the last piece: there is
    // nothing left to time, and the next press is to end the capture.
    if (capture_.scriptEnded()) {
        view_.focusEndButton();
        return;
    }

    previousPosition_ = currentPosition_;
    // A device that does not answer leaves the position as it was: delta 0.
    DeviceCommands::ReadTrackPosition(device_, currentPosition_);
    const DwdCapture::Press press = capture_.press(currentPosition_, pendingLineBreaks_);
    switch (press.outcome) {
    case DwdCapture::Outcome::SyntaxError:
        abandonCapture(press.error);
        return;
    case DwdCapture::Outcome::WriteFailed:
        view_.focusEndButton();
        abandonCapture(recordFailedMessage());
        return;
    case DwdCapture::Outcome::AfterEnd:
        return;
    case DwdCapture::Outcome::Written:
        break;
    }
    if (press.endOfScript)
        view_.focusEndButton();

    previewCursor_.setPen(timedPen_.x(), timedPen_.y());
    timedText_ += press.pieceText;
    canvas_.setFontColor(TimedColor);
    previewCursor_.DrawString(textArea_, 10, 10, press.pieceText);
    timedPen_ = previewCursor_.pen();
}

void DwdCompiler::EndClick()
{
    if (!compiling_ || windingUp_)
        return;
    windingUp_ = true;
    // A header that fails here leaves the size field at 7: the player refuses
    // the file, which is kept so the records are not lost.
    const bool headerWritten = capture_.end() && outputFile_.flush();
    if (!headerWritten)
        showError(headerFailedMessage(), errorCaption());
    outputFile_.close();
    windingUp_ = false;
    finishCapture();
}

void DwdCompiler::CancelClick()
{
    if (!compiling_ || windingUp_)
        return;
    discardOutputFile();
    finishCapture();
}

void DwdCompiler::abandonCapture(const QString& message)
{
    windingUp_ = true;
    discardOutputFile();
    showError(message, errorCaption());
    windingUp_ = false;
    finishCapture();
}

void DwdCompiler::discardOutputFile()
{
    // Closed first and removed by name: QFile::remove() keeps a file whose
    // close failed to flush, and a failed write is exactly when this runs.
    outputFile_.close();
    QFile::remove(outputFile_.fileName());
}

void DwdCompiler::finishCapture()
{
    compiling_ = false;
    view_.setStartEnabled(true);
    host_.StopClick();
    if (reloadPending_) {
        ReloadScript();
        reloadPending_ = false;
    }
    else {
        resetView();
        FormResize();
    }
}

void DwdCompiler::ReloadScript()
{
    if (compiling_) {
        reloadPending_ = true;
        return;
    }
    const QString name = host_.EditorFileName();
    if (name.isEmpty()) {
        sourceText_.clear();
    }
    else if (LoadScript(name)) {
        takeUpScript(name);
        resetView();
    }
    else {
        showError(reloadFailedMessage(), reloadErrorCaption());
        sourceText_.clear();
    }
    FormResize();
}

void DwdCompiler::FormClose()
{
    CancelClick();
    host_.compilerWindowClosed();
}
