#include "player/LyricsPlayback.h"

#include "lyrics/LyricDisplay.h"
#include "lyrics/LyricState.h"
#include "lyrics/LyricsWindowHost.h"
#include "lyrics/format/DwdReader.h"
#include "platform/MessageBoxes.h"
#include "player/Association.h"

#include <QFileInfo>

LyricsPlayback::LyricsPlayback(CdAudioDevice& device, MessageBoxes& boxes, Association& association,
                               LyricState& lyrics, LyricsWindowHost& host)
    : device_(device), boxes_(boxes), association_(association), lyrics_(lyrics), host_(host),
      stepper_(reading_, lyrics)
{
    wakeTimer_.setSingleShot(true);
    wakeTimer_.setTimerType(Qt::PreciseTimer);
    wakeTimer_.callOnTimeout([this] { wake(); });
}

LyricsPlayback::~LyricsPlayback() = default;

QString LyricsPlayback::identityFailedMessage()
{
    return QStringLiteral("ＣＤの情報が得られません。\n歌詞は表示できません。");
}

QString LyricsPlayback::missingFileMessage()
{
    return QStringLiteral(
        "関連付けされているファイルが存在しません。\n\nこの関連付けを削除してもよろしいですか？");
}

QString LyricsPlayback::notAFileMessage()
{
    return QStringLiteral("関連付けされているものはファイルではありません。\n歌詞は表示できません。");
}

QString LyricsPlayback::deleteFailedMessage()
{
    return QStringLiteral("関連付けの削除に失敗しました。");
}

bool LyricsPlayback::isDue(const TrackPosition& time, const TrackPosition& position)
{
    return LyricsStepper::isDue(time, position);
}

void LyricsPlayback::loadAtPlay(int track)
{
    // A box below runs ticks, and a tick may start the next track, whose play
    // loads its own lyrics inside this one. Once that has happened, this load
    // has nothing more to say about the lyrics.
    const quint64 load = ++loadCount_;
    stopWaking();
    const auto overtaken = [this, load] { return loadCount_ != load; };

    const std::optional<QString> fileName = association_.lookup(track);
    if (overtaken())
        return;
    if (!fileName) {
        // Without the disc's identity nothing is known about this track's
        // lyrics. What is on screen stays, but the previous track's lyrics
        // must not go on stepping against the track now playing.
        reading_.wordsActive = false;
        boxes_.show(QStringLiteral("ERROR"), identityFailedMessage(), BoxIcon::Error, BoxButtons::Ok);
        return;
    }
    reading_.wordsActive = true;
    if (fileName->isEmpty()) {
        reading_.wordsActive = false;
        destroyDisplay(false);
    }

    // The previous track's lyrics go before anything can show a box. Nothing
    // is left pending, so a tick nested in a box below draws nothing.
    closeFile();
    lyrics_.reset();
    reading_.wordsEnded = false;
    reading_.recordPending = false;
    reading_.HeldCommands.clear();
    reading_.pendingText.clear();

    // Lyrics would disturb the timing being captured.
    if (host_.timingCaptureRunning())
        reading_.wordsActive = false;
    if (!reading_.wordsActive) {
        clearDisplay();
        return;
    }

    if (!openAndCheck(*fileName, track)) {
        if (overtaken())
            return;
        reading_.wordsActive = false;
        // The previous track's page must not stay up as if it belonged to this one.
        clearDisplay();
        return;
    }

    host_.showDisplay();
    lyrics_.begin(host_.displayCanvas(), host_.display());
    stepper_.start();
    lyrics_.drawInitialPicture(host_.displayClientRect());
}

// The display window, if it is still there, shows the emptied lyric state.
void LyricsPlayback::clearDisplay()
{
    if (LyricDisplay* display = host_.display())
        display->clientResized();
}

// Opens the related file and checks its header and size; says why when it cannot.
bool LyricsPlayback::openAndCheck(const QString& fileName, int track)
{
    // Only a plain file is opened: a pipe or a device could block the player.
    // Something that is there but is no file (a folder, a pipe, a device) is
    // refused without offering to delete the user's association.
    const QFileInfo info(fileName);
    if (info.exists() && !info.isFile()) {
        boxes_.show(QStringLiteral("ERROR"), notAFileMessage(), BoxIcon::Error, BoxButtons::Ok);
        return false;
    }
    auto file = std::make_unique<QFile>(fileName);
    if (!info.isFile() || !file->open(QIODevice::ReadOnly | QIODevice::ExistingOnly)) {
        if (missingFileAsked_)
            return false;
        missingFileAsked_ = true;
        const BoxButton answer = boxes_.show(QStringLiteral("Warning"), missingFileMessage(),
                                             BoxIcon::Warning, BoxButtons::OkCancel);
        missingFileAsked_ = false;
        // The association removed is the one of the track that was found
        // missing, even if another track started while the box was open.
        if (answer == BoxButton::Ok && !association_.remove(track))
            boxes_.show(QStringLiteral("Miss"), deleteFailedMessage(), BoxIcon::Warning, BoxButtons::Ok);
        return false;
    }
    const DwdReader::FileCheck check = DwdReader::checkFile(*file);
    if (check != DwdReader::FileCheck::Valid) {
        file.reset();
        boxes_.show(QStringLiteral("ERROR"), DwdReader::checkMessage(check), BoxIcon::Error, BoxButtons::Ok);
        return false;
    }
    reading_.WordsFile = std::move(file);
    return true;
}

void LyricsPlayback::stepLyrics()
{
    if (reading_.wordsEnded)
        reading_.wordsActive = false;
    if (!reading_.wordsActive)
        return;

    // A position that cannot be read counts as the start of the track: the record waits.
    TrackPosition position;
    const qint64 now = clock_->nowMs();
    if (DeviceCommands::readTrackPosition(device_, position) == 0) {
        soundClock_.observe(now, position);
    }
    else {
        position = {};
        soundClock_.reset();
    }
    stepper_.step(position);
    // A piece this tick reached shows its first column now, not a frame later.
    if (const PartFill fill = lyrics_.writtenFill(); fill.index >= 0 && fill.span.to == 0)
        lyrics_.drawWipe(soundClock_.trackMsAt(now));
    scheduleWake(now);
}

void LyricsPlayback::wake()
{
    nextWakeMs_.reset();
    const qint64 now = clock_->nowMs();
    const qint64 moment = soundClock_.trackMsAt(now);
    if (reading_.wordsActive && !reading_.wordsEnded)
        stepper_.stepBetweenTicks(LyricsStepper::positionAt(moment));
    lyrics_.drawWipe(moment);
    lastWakeTrackMs_ = moment;
    scheduleWake(now);
}

// The next wake: while a wipe fills, the first frame of the display at which
// another column turns; sooner if the next piece is due before that. Only while the disc is seen moving: a
// stalled disc's pieces wait for the tick that finds them due.
void LyricsPlayback::scheduleWake(qint64 nowMs)
{
    std::optional<qint64> at;
    if (soundClock_.running()) {
        // The display's next frame, or later when no column turns by then.
        if (const std::optional<qint64> column = lyrics_.nextColumnMs())
            at = nowMs + std::max<qint64>(host_.frameIntervalMs(), *column - soundClock_.trackMsAt(nowMs));
        if (reading_.wordsActive && !reading_.wordsEnded && reading_.recordPending) {
            const qint64 untilDue =
                LyricsStepper::dueMs(reading_.nextRecordTime) - soundClock_.trackMsAt(nowMs);
            if (untilDue <= WakeHorizonMs) {
                const qint64 due = nowMs + std::max<qint64>(untilDue, 0);
                at = at ? std::min(*at, due) : due;
            }
        }
    }
    if (!at) {
        stopWaking();
        return;
    }
    // Every tick asks again; a wake already set for that moment stays.
    if (wakeTimer_.isActive() && nextWakeMs_ == at)
        return;
    nextWakeMs_ = at;
    wakeTimer_.start(int(*at - nowMs));
}

void LyricsPlayback::stopWaking()
{
    wakeTimer_.stop();
    nextWakeMs_.reset();
}

void LyricsPlayback::releaseAtStop()
{
    stopWaking();
    reading_.wordsActive = false;
    reading_.wordsEnded = true;
    destroyDisplay(true);
    lyrics_.end();
    closeFile();
}

void LyricsPlayback::wordsOff()
{
    stopWaking();
    reading_.wordsActive = false;
    destroyDisplay(true);
}

void LyricsPlayback::closeAtExit()
{
    stopWaking();
    reading_.wordsActive = false;
    reading_.wordsEnded = true;
    destroyDisplay(false);
    lyrics_.end();
    closeFile();
}

void LyricsPlayback::destroyDisplay(bool savePosition)
{
    if (!host_.displayExists())
        return;
    // The lyric state lets go of the canvas first: nothing may draw on it once the window is gone.
    lyrics_.detachDisplay();
    host_.destroyDisplay(savePosition);
}

void LyricsPlayback::closeFile()
{
    reading_.WordsFile.reset();
}
