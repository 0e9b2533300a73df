#include "compile/DwdCompiler.h"

#include "analysis/OnsetSnap.h"
#include "compile/CompileHost.h"
#include "compile/CompileView.h"
#include "core/ColorValue.h"
#include "lyrics/TextCanvas.h"
#include "lyrics/format/CaptureMessages.h"
#include "lyrics/format/DwdReader.h"
#include "lyrics/format/DwdRetime.h"
#include "lyrics/format/DwdWriter.h"
#include "lyrics/format/ScriptReader.h"
#include "platform/FileDialogs.h"
#include "platform/MessageBoxes.h"
#include "platform/cdaudio/TimeStretch.h"
#include "player/DeviceCommands.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

DwdCompiler::DwdCompiler(CompileHost& host, CompileView& view, CdAudioDevice& device, MessageBoxes& boxes,
                         FileDialogs& dialogs, TextCanvas& canvas)
    : host_(host), view_(view), device_(device), boxes_(boxes), dialogs_(dialogs), canvas_(canvas)
{
    previewCursor_.bindCanvas(&canvas_);
}

// A window destroyed in the middle of a capture (the program ending) throws
// the take away with its working file; an existing output stays.
DwdCompiler::~DwdCompiler() = default;

namespace {
// The offset of every line of text: 0, then the byte after each line feed.
QList<qsizetype> lineStarts(QByteArrayView text, qsizetype base = 0)
{
    QList<qsizetype> starts;
    for (qsizetype at = text.indexOf('\n'); at >= 0; at = text.indexOf('\n', at + 1))
        starts.append(base + at + 1);
    return starts;
}
} // namespace

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
    return CaptureMessages::openFailed();
}

QString DwdCompiler::headerFailedMessage()
{
    return CaptureMessages::headerFailed();
}

QString DwdCompiler::recordFailedMessage()
{
    return CaptureMessages::recordFailed();
}

QString DwdCompiler::reloadFailedMessage()
{
    return QStringLiteral("データの更新ができませんでした。");
}

QString DwdCompiler::retimeUnreadableMessage()
{
    return QStringLiteral("途中からの取り直しができません。\nDWDファイルを読み込めません。");
}

QString DwdCompiler::partialTakeMessage(const QString& keptFileName, const QString& outputFileName)
{
    return QStringLiteral("スクリプトの途中で曲が終わりました。\n途中までのタイミングを %1 "
                          "に保存しました。\n%2 は変更していません。")
        .arg(QFileInfo(keptFileName).fileName(), QFileInfo(outputFileName).fileName());
}

QString DwdCompiler::retimeMismatchMessage()
{
    return QStringLiteral("途中からの取り直しができません。\nDWDファイルがスクリプトと一致しません。");
}

QString DwdCompiler::errorCaption()
{
    return QStringLiteral("ERROR");
}

QString DwdCompiler::reloadErrorCaption()
{
    return QStringLiteral("Make DWD file : ERROR");
}

QString DwdCompiler::makeOutputFileName(const QString& scriptPath)
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

bool DwdCompiler::loadScript(const QString& name)
{
    // Only a plain file: opening a pipe or a device would keep the window
    // waiting for a writer that may never come.
    if (name.isEmpty() || !QFileInfo(name).isFile())
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
    const ScriptReader::Preview preview = ScriptReader::buildPreviewText(sourceText_);
    if (!preview.error.isEmpty())
        showError(preview.error, errorCaption());
    previewText_ = preview.text;
    previewLines_ = QList<qsizetype>{0} + lineStarts(previewText_);
    retimeLine_ = 0;
    outputFileName_ = makeOutputFileName(name);
    loadEdits();
}

void DwdCompiler::loadEdits()
{
    edit_.setPieces({});
    QFile file(outputFileName_);
    if (outputFileName_.isEmpty() || !file.open(QIODevice::ReadOnly) || file.size() > MaxScriptBytes)
        return;
    if (const std::optional<QList<TimingEdit::Piece>> pieces = TimingEdit::fromDwd(file.readAll()))
        edit_.setPieces(*pieces);
}

QString DwdCompiler::saveMismatchMessage()
{
    return QStringLiteral("タイミングを保存できません。\nDWDファイルが表示中のものと一致しません。");
}

std::optional<TrackPosition> DwdCompiler::heardPosition()
{
    TrackPosition heard;
    if (DeviceCommands::readTrackPosition(device_, heard) != 0)
        return std::nullopt;
    return heard;
}

bool DwdCompiler::playFrom(int frame)
{
    if (compiling_)
        return false;
    const int track = timedTrack_ > 0 ? timedTrack_ : host_.currentTrack();
    return sendPlayFrom(track, TrackPosition::fromFrames(std::max(0, frame)));
}

bool DwdCompiler::sendPlayFrom(int track, const TrackPosition& from)
{
    const QByteArray command = QStringLiteral("play cdaudio from %1:%2:%3:%4")
                                   .arg(track, 2, 10, QLatin1Char('0'))
                                   .arg(from.minutes, 2, 10, QLatin1Char('0'))
                                   .arg(from.seconds, 2, 10, QLatin1Char('0'))
                                   .arg(from.frames, 2, 10, QLatin1Char('0'))
                                   .toLatin1();
    ReplyBuffer reply;
    return device_.sendCommand(command.constData(), reply) == 0;
}

void DwdCompiler::stopPlaying()
{
    if (!compiling_)
        host_.stop();
}

bool DwdCompiler::saveEdits()
{
    if (compiling_ || windingUp_)
        return false;
    QFile file(outputFileName_);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    file.close();
    const std::optional<QList<TimingEdit::Piece>> onDisk = TimingEdit::fromDwd(bytes);
    bool same = onDisk && onDisk->size() == edit_.pieces().size();
    for (qsizetype i = 0; same && i < onDisk->size(); ++i)
        same = onDisk->at(i).text == edit_.pieces()[i].text;
    if (!same) {
        showError(saveMismatchMessage(), errorCaption());
        return false;
    }
    const QByteArray retimed = DwdRetime::retime(bytes, edit_.placedFrames());
    CaptureFile working;
    if (!working.create(outputFileName_)) {
        showError(openFailedMessage(), errorCaption());
        return false;
    }
    if (!working.writeAt(0, retimed) || !working.commit()) {
        working.discard();
        showError(recordFailedMessage(), errorCaption());
        return false;
    }
    edit_.setPieces(*TimingEdit::fromDwd(retimed));
    return true;
}

void DwdCompiler::resetView()
{
    previewCursor_.setPen(0, 0);
    previewCursor_.setOrigin(0, 0);
}

void DwdCompiler::createForm()
{
    QString name = host_.editorFileName();
    if (name.isEmpty()) {
        if (const std::optional<QString> chosen =
                dialogs_.openFile(openDialogTitle(), openDialogFilter(), openDialogSuffix()))
            name = *chosen;
    }
    if (!loadScript(name)) {
        showError(sourceUnreadableMessage(), errorCaption());
        name.clear();
    }
    takeUpScript(name);
    clientResized();
    prepareAnalysis();
}

void DwdCompiler::prepareAnalysis()
{
    const QString image = host_.discImagePath();
    const int track = host_.currentTrack();
    if (image.isEmpty() || track < 1 || (image == analysedImage_ && track == analysedTrack_))
        return;
    analysedImage_ = image;
    analysedTrack_ = track;
    analyzer_.start(image, track);
}

void DwdCompiler::clientResized()
{
    textArea_ = TextRect{10, 10, clientWidth_ - 10, clientHeight_ - (startButtonHeight_ + 10)};
    canvas_.setBrushClear(false);
    canvas_.setBrushColor(ColorValue::ButtonFace);
    canvas_.fillRect(TextRect{0, 0, clientWidth_, clientHeight_});
    canvas_.setBrushColor(ColorValue::WindowBackground);
    canvas_.fillRect(textArea_);
    const int lineHeight = previewCursor_.textHeight("A");
    if (!compiling_ && retimeLine_ > 0 && lineHeight > 0) {
        const int top = 10 + previewCursor_.origin().y() + retimeLine_ * lineHeight;
        canvas_.setBrushColor(RetimeMarkColor);
        canvas_.fillRect(TextRect{textArea_.left, std::max(top, textArea_.top), textArea_.right,
                                  std::min(top + lineHeight, textArea_.bottom)});
    }
    if (!sourceText_.isEmpty()) {
        canvas_.setFontColor(PreviewColor);
        drawVisibleLines(previewText_, previewLines_);
    }
    if (compiling_) {
        canvas_.setFontColor(TimedColor);
        drawVisibleLines(timedText_, timedLines_);
    }
}

// The same pixels as drawing the whole text from pen (0, 0): lines break only
// at line feeds and every line is one text height below the one before.
void DwdCompiler::drawVisibleLines(QByteArrayView text, const QList<qsizetype>& lineStarts)
{
    const int lineHeight = previewCursor_.textHeight("A");
    if (lineHeight <= 0 || lineStarts.isEmpty())
        return;
    const int top = 10 + previewCursor_.origin().y(); // where line 0 is drawn
    const qsizetype first = std::max<qsizetype>(0, (textArea_.top - top) / lineHeight);
    const qsizetype last = std::min<qsizetype>(lineStarts.size() - 1, (textArea_.bottom - top) / lineHeight);
    for (qsizetype line = first; line <= last; ++line) {
        const qsizetype start = lineStarts[line];
        const qsizetype end = line + 1 < lineStarts.size() ? lineStarts[line + 1] : text.size();
        // Text is drawn on the brush: the picked line's band, else the area's white.
        const bool marked = !compiling_ && retimeLine_ > 0 && line == retimeLine_;
        canvas_.setBrushColor(marked ? RetimeMarkColor : ColorValue::WindowBackground);
        previewCursor_.setPen(0, int(line * lineHeight));
        previewCursor_.drawString(textArea_, 10, 10, text.sliced(start, end - start));
    }
    canvas_.setBrushColor(ColorValue::WindowBackground);
}

bool DwdCompiler::followPen()
{
    const int width = textArea_.right - textArea_.left;
    if (width <= 0)
        return false;
    const QPoint origin = previewCursor_.origin();
    const int x = timedPen_.x() + origin.x(); // from the left of the text area
    if (x >= 0 && x <= width * 3 / 4)
        return false;
    const int originX = std::min(0, width / 3 - timedPen_.x());
    if (originX == origin.x())
        return false;
    previewCursor_.setOrigin(originX, origin.y());
    return true;
}

void DwdCompiler::appendTimed(const QByteArray& piece)
{
    const qsizetype base = timedText_.size();
    timedText_ += piece;
    timedLines_ += lineStarts(piece, base);
}

void DwdCompiler::start()
{
    if (compiling_) {
        showError(compilingMessage(), errorCaption());
        return;
    }
    if (sourceText_.isEmpty()) {
        const QString name = host_.editorFileName();
        if (name.isEmpty()) {
            showError(noSourceMessage(), errorCaption());
            return;
        }
        if (!loadScript(name)) {
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

    // The existing file stays as it is until End: the take goes into a
    // working file beside it.
    capture_.setScript(sourceText_);
    std::optional<Retake> retake;
    if (retimeLine_ > 0) {
        retake = planRetake(retimeLine_);
        if (!retake)
            return;
    }
    const DwdCapture::Start started =
        retake ? capture_.resume(outputFileName_, retake->records, retake->position, retake->lastTime)
               : capture_.begin(outputFileName_);
    switch (started) {
    case DwdCapture::Start::OpenFailed:
        showError(openFailedMessage(), errorCaption());
        return;
    case DwdCapture::Start::HeaderFailed:
        showError(headerFailedMessage(), errorCaption());
        return;
    case DwdCapture::Start::Started:
        break;
    }

    compiling_ = true;
    view_.setStartEnabled(false);
    view_.focusWindow();

    canvas_.setFontColor(PreviewColor);
    resetView();
    pendingLineBreaks_ = 0;
    drawVisibleLines(previewText_, previewLines_);
    timedPen_ = QPoint(0, 0);
    timedText_.clear();
    timedLines_ = {0};
    taps_.clear();
    if (retake) {
        // The kept pieces are blue already and the line to time is at the top.
        appendTimed(retake->text);
        const int lineHeight = previewCursor_.textHeight("A");
        const qsizetype lastLine = timedText_.lastIndexOf('\n') + 1;
        timedPen_ = QPoint(previewCursor_.textWidth(QByteArrayView(timedText_).sliced(lastLine)),
                           int(timedLines_.size() - 1) * lineHeight);
        previewCursor_.setOrigin(0, -timedPen_.y());
        followPen();
    }

    timedTrack_ = host_.currentTrack();
    edit_.setPieces({});
    prepareAnalysis();
    if (speedPercent_ != TimeStretch::NormalPercent)
        sendSpeed(speedPercent_);
    host_.play();
    if (retake)
        sendPlayFrom(timedTrack_, retake->playFrom);
    // The first record is timed from the start of the track, or from the
    // last piece kept.
    currentPosition_ = retake ? retake->lastTime : TrackPosition{};
    clientResized();
}

void DwdCompiler::keyPressed(int key)
{
    if (!compiling_ || windingUp_)
        return;
    // The line finished at the previous press scrolls away now, so the line
    // being timed stays at the top of the text area.
    if (pendingLineBreaks_ > 0) {
        previewCursor_.moveOrigin(0, -pendingLineBreaks_ * previewCursor_.textHeight("A"));
        followPen();
        clientResized();
        pendingLineBreaks_ = 0;
    }
    if (key == KeyBackspace) {
        takeBack();
        return;
    }
    if (key != KeySpace && key != KeyEnter)
        return;
    // The user took the focus back from End after the last piece: there is
    // nothing left to time, and the next press is to end the capture.
    if (capture_.scriptEnded()) {
        view_.focusEndButton();
        return;
    }

    const Tap tap{timedText_.size(), timedPen_, currentPosition_, previousPosition_};
    previousPosition_ = currentPosition_;
    // A device that does not answer leaves the position as it was: delta 0.
    TrackPosition heard;
    int pressed = currentPosition_.totalFrames();
    if (DeviceCommands::readTrackPosition(device_, heard) == 0) {
        pressed = pressTime(heard).totalFrames();
        currentPosition_ = TrackPosition::fromFrames(snappedFrames(pressed, heard));
    }
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

    taps_.append(tap);
    QList<TimingEdit::Piece> pieces = edit_.pieces();
    pieces.append({pressed, currentPosition_.totalFrames(), press.pieceText});
    edit_.setPieces(pieces);
    previewCursor_.setPen(timedPen_.x(), timedPen_.y());
    appendTimed(press.pieceText);
    canvas_.setFontColor(TimedColor);
    previewCursor_.drawString(textArea_, 10, 10, press.pieceText);
    timedPen_ = previewCursor_.pen();
    if (followPen())
        clientResized();
}

int DwdCompiler::latencyFrames(int latencyMs, int speedPercent)
{
    const qint64 scaled = qint64(latencyMs) * speedPercent * CdFrames::PerSecond; // in 1/100000 frames
    const qint64 half = 100000 / 2;
    return int(scaled >= 0 ? (scaled + half) / 100000 : -((-scaled + half) / 100000));
}

TrackPosition DwdCompiler::pressTime(const TrackPosition& heard) const
{
    const int frames = heard.totalFrames() - latencyFrames(tapLatencyMs_, speedPercent_);
    // The previous press is the kept pieces' last time at the start of a
    // take from a line.
    const int previous = capture_.lastPosition().totalFrames();
    return TrackPosition::fromFrames(std::max({frames, previous, 0}));
}

int DwdCompiler::snappedFrames(int pressed, const TrackPosition& heard) const
{
    const std::shared_ptr<const TrackAnalysis> analysis = analyzer_.analysis();
    if (!snap_.enabled || !analysis || analysedTrack_ != timedTrack_)
        return pressed;
    // Not before the previous piece, not after what has been heard.
    const int previous = capture_.lastPosition().totalFrames();
    const int latest = std::max(heard.totalFrames(), previous);
    return OnsetSnap::nearest(analysis->onsets, pressed, snap_.windowMs, previous, latest).value_or(pressed);
}

void DwdCompiler::onPanelMousePress(int x, int y)
{
    const int lineHeight = previewCursor_.textHeight("A");
    if (compiling_ || sourceText_.isEmpty() || lineHeight <= 0 || x < textArea_.left ||
        x >= textArea_.right || y < textArea_.top || y >= textArea_.bottom)
        return;
    const int line = (y - 10 - previewCursor_.origin().y()) / lineHeight;
    if (line < 0 || line >= previewLines_.size())
        return;
    retimeLine_ = line == retimeLine_ ? 0 : line;
    clientResized();
}

std::optional<DwdCompiler::Retake> DwdCompiler::planRetake(int line)
{
    QFile file(outputFileName_);
    if (!file.open(QIODevice::ReadOnly) || DwdReader::checkFile(file) != DwdReader::FileCheck::Valid) {
        showError(retimeUnreadableMessage(), errorCaption());
        return std::nullopt;
    }
    Retake retake;
    qint32 lineBreaks = 0;
    qint64 keptEnd = DwdWriter::HeaderSize;
    for (;;) {
        const DwdReader::Record record = DwdReader::readRecord(file);
        if (!record.complete()) {
            // The file ends before the line: time on from its last piece.
            retake.playFrom = retake.lastTime;
            break;
        }
        qint32 breaksInPiece = 0;
        const ScriptReader::Piece piece =
            ScriptReader::takePiece(sourceText_, retake.position, breaksInPiece);
        if (!piece.ok() || piece.text != record.text) {
            showError(retimeMismatchMessage(), errorCaption());
            return std::nullopt;
        }
        // The piece's line is where its first character stands.
        int leadingBreaks = 0;
        for (qsizetype i = 0; i < piece.text.size() && QByteArrayView(" \r\n").contains(piece.text[i]); ++i)
            leadingBreaks += piece.text[i] == '\n' ? 1 : 0;
        TrackPosition time = retake.lastTime;
        TrackPosition::addDelta(time, record.delta);
        if (lineBreaks + leadingBreaks >= line || piece.endOfScript) {
            retake.playFrom = time;
            break;
        }
        lineBreaks += breaksInPiece;
        retake.text += piece.text;
        retake.position = piece.position;
        retake.lastTime = time;
        keptEnd = file.pos();
    }
    file.seek(DwdWriter::HeaderSize);
    retake.records = file.read(keptEnd - DwdWriter::HeaderSize);
    // A few seconds of run-up before the line, never before the track.
    const TrackPosition at = retake.playFrom;
    const int frames = std::max(0, (at.minutes * 60 + at.seconds) * 75 + at.frames - RetimeLeadInFrames);
    retake.playFrom = TrackPosition{qint16(frames / 4500), qint16(frames / 75 % 60), qint16(frames % 75)};
    return retake;
}

void DwdCompiler::takeBack()
{
    if (taps_.isEmpty())
        return;
    if (!capture_.undo()) {
        // Nothing changed: the file still holds the piece, and the take goes on.
        showError(recordFailedMessage(), errorCaption());
        return;
    }
    const Tap tap = taps_.takeLast();
    if (!edit_.pieces().isEmpty())
        edit_.setPieces(edit_.pieces().first(edit_.pieces().size() - 1));
    timedText_.truncate(tap.timedSize);
    while (timedLines_.size() > 1 && timedLines_.last() > tap.timedSize)
        timedLines_.removeLast();
    timedPen_ = tap.pen;
    currentPosition_ = tap.current;
    previousPosition_ = tap.previous;
    // The line of the piece to time again is at the top, as after any key.
    pendingLineBreaks_ = 0;
    previewCursor_.setOrigin(previewCursor_.origin().x(),
                             -int(timedLines_.size() - 1) * previewCursor_.textHeight("A"));
    followPen();
    clientResized();
    // After the last piece End had the focus; Space times again now.
    view_.focusWindow();
}

void DwdCompiler::setSpeedPercent(int percent)
{
    percent = std::clamp(percent, TimeStretch::SlowestPercent, TimeStretch::NormalPercent);
    if (percent == speedPercent_)
        return;
    speedPercent_ = percent;
    if (compiling_ && !windingUp_)
        sendSpeed(percent);
}

void DwdCompiler::sendSpeed(int percent)
{
    ReplyBuffer reply;
    DeviceCommands::sendNumber(device_, "set cdaudio speed %d", percent, reply);
}

void DwdCompiler::end()
{
    if (!compiling_ || windingUp_)
        return;
    windingUp_ = true;
    // When the new file cannot take the old one's place, the old one stays
    // and the working file is kept: it holds every piece of this take.
    const bool replaced = capture_.finish();
    if (!replaced)
        showError(headerFailedMessage(), errorCaption());
    windingUp_ = false;
    const QString written = outputFileName_; // a reload below may change it
    finishCapture();
    if (replaced)
        host_.offerRelation(timedTrack_, QFileInfo(written).absoluteFilePath());
}

void DwdCompiler::trackChanged()
{
    if (!captureRunning())
        return;
    if (capture_.scriptEnded() || !QFileInfo::exists(outputFileName_))
        end();
    else
        keepPartialTake();
}

// The track ended before the script: the pieces timed so far stay in the
// working file, from which the author can go on with a re-time from a line;
// the file from before is left as it was.
void DwdCompiler::keepPartialTake()
{
    if (!compiling_ || windingUp_)
        return;
    windingUp_ = true;
    const QString kept = capture_.workingName();
    capture_.keep();
    boxes_.show(QStringLiteral("Information"), partialTakeMessage(kept, outputFileName_),
                BoxIcon::Information, BoxButtons::Ok);
    windingUp_ = false;
    finishCapture();
    loadEdits();
}

void DwdCompiler::cancel()
{
    if (!compiling_ || windingUp_)
        return;
    capture_.abandon();
    finishCapture();
    loadEdits();
}

void DwdCompiler::abandonCapture(const QString& message)
{
    windingUp_ = true;
    capture_.abandon();
    showError(message, errorCaption());
    windingUp_ = false;
    finishCapture();
    loadEdits();
}

void DwdCompiler::finishCapture()
{
    compiling_ = false;
    view_.setStartEnabled(true);
    host_.stop();
    // The player goes on at the disc's own speed.
    if (speedPercent_ != TimeStretch::NormalPercent)
        sendSpeed(TimeStretch::NormalPercent);
    if (reloadPending_) {
        reloadScript();
        reloadPending_ = false;
    }
    else {
        resetView();
        clientResized();
    }
}

void DwdCompiler::reloadScript()
{
    if (compiling_) {
        reloadPending_ = true;
        return;
    }
    const QString name = host_.editorFileName();
    if (name.isEmpty()) {
        sourceText_.clear();
    }
    else if (loadScript(name)) {
        takeUpScript(name);
        resetView();
    }
    else {
        showError(reloadFailedMessage(), reloadErrorCaption());
        sourceText_.clear();
    }
    clientResized();
}

void DwdCompiler::shutDown()
{
    cancel();
    host_.compilerWindowClosed();
}
