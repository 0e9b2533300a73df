#include "player/LyricsPlayback.h"

#include "core/DwdReader.h"
#include "lyrics/LyricState.h"
#include "platform/MessageBoxes.h"
#include "player/Association.h"
#include "player/LyricsWindowHost.h"

#include <QFileInfo>

namespace {
// Records start right after the 11-byte header.
constexpr qint64 FirstRecordOffset = 11;
} // namespace

LyricsPlayback::LyricsPlayback(CdAudioDevice& device, MessageBoxes& boxes, Association& association,
                               LyricState& lyrics, LyricsWindowHost& host)
    : device_(device), boxes_(boxes), association_(association), lyrics_(lyrics), host_(host)
{
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

QString LyricsPlayback::deleteFailedMessage()
{
    return QStringLiteral("関連付けの削除に失敗しました。");
}

bool LyricsPlayback::isDue(const TrackPosition& time, const TrackPosition& position)
{
    if (time.minutes != position.minutes)
        return time.minutes < position.minutes;
    if (time.seconds != position.seconds)
        return time.seconds < position.seconds;
    return time.frames <= position.frames;
}

void LyricsPlayback::loadAtPlay(int track)
{
    const std::optional<QString> fileName = association_.lookup(track);
    if (!fileName) {
        // Without the disc's identity nothing is known about this track's
        // lyrics. What is on screen stays, but the previous track's lyrics
        // must not go on stepping against the track now playing.
        reading_.WordsActive = false;
        boxes_.show(QStringLiteral("ERROR"), identityFailedMessage(), BoxIcon::Error, BoxButtons::Ok);
        return;
    }
    reading_.WordsActive = true;
    if (fileName->isEmpty()) {
        reading_.WordsActive = false;
        destroyDisplay(false);
    }

    // The previous track's lyrics go before anything can show a box. Nothing
    // is left pending, so a tick nested in a box below draws nothing.
    closeFile();
    lyrics_.reset();
    reading_.WordsEnded = false;
    reading_.RecordPending = false;
    reading_.PendingText.clear();

    // Lyrics would disturb the timing being captured.
    if (host_.timingCaptureRunning())
        reading_.WordsActive = false;
    if (!reading_.WordsActive)
        return;

    if (!openAndCheck(*fileName, track)) {
        reading_.WordsActive = false;
        return;
    }

    host_.showDisplay();
    lyrics_.begin(host_.displayCanvas(), host_.display());
    scanWholeFile();

    // The scan may have ended the lyrics at a command cut short at the end of
    // the file; playing still shows every complete record before that one.
    reading_.WordsEnded = false;
    if (!reading_.WordsFile->seek(FirstRecordOffset))
        reading_.WordsEnded = true;
    lyrics_.startPlayback();
    if (!reading_.WordsEnded)
        readRecord(Advance::FromTrackStart);
    lyrics_.drawInitialPicture(host_.displayClientRect());
}

// Opens the related file and checks its header and size; says why when it cannot.
bool LyricsPlayback::openAndCheck(const QString& fileName, int track)
{
    // Only a plain file is opened: a pipe or a device could block the player.
    auto file = std::make_unique<QFile>(fileName);
    if (!QFileInfo(fileName).isFile() || !file->open(QIODevice::ReadOnly | QIODevice::ExistingOnly)) {
        const BoxButton answer = boxes_.show(QStringLiteral("Warning"), missingFileMessage(),
                                             BoxIcon::Warning, BoxButtons::OkCancel);
        // The association removed is the one of the track that was found
        // missing, even if another track started while the box was open.
        if (answer == BoxButton::Ok && !association_.remove(track))
            boxes_.show(QStringLiteral("Miss"), deleteFailedMessage(), BoxIcon::Warning, BoxButtons::Ok);
        return false;
    }
    const DwdReader::FileCheck check = DwdReader::CheckFile(*file);
    if (check != DwdReader::FileCheck::Valid) {
        file.reset();
        boxes_.show(QStringLiteral("ERROR"), DwdReader::CheckMessage(check), BoxIcon::Error, BoxButtons::Ok);
        return false;
    }
    reading_.WordsFile = std::move(file);
    return true;
}

// Builds the pages of pre text from every record up to the first one the file cuts short.
void LyricsPlayback::scanWholeFile()
{
    QFile& file = *reading_.WordsFile;
    for (;;) {
        const DwdReader::Record record = DwdReader::ReadRecord(file);
        if (record.hasDelta())
            reading_.NextRecordTime = record.delta;
        for (const DwdCommand& command : record.commands) {
            if (lyrics_.scanCommand(command))
                reading_.WordsEnded = true;
        }
        if (!record.complete())
            return;
        lyrics_.scanText(record.text);
    }
}

void LyricsPlayback::readRecord(Advance advance)
{
    if (!reading_.WordsFile || !reading_.WordsFile->isOpen()) {
        reading_.WordsEnded = true;
        return;
    }
    const DwdReader::Record record = DwdReader::ReadRecord(*reading_.WordsFile);
    if (!record.hasDelta()) {
        reading_.WordsEnded = true;
        return;
    }
    // The first record's delta counts from the start of the track.
    if (advance == Advance::FromTrackStart)
        reading_.NextRecordTime = record.delta;
    else
        TrackPosition::addDelta(reading_.NextRecordTime, record.delta);

    for (const DwdCommand& command : record.commands) {
        if (lyrics_.applyCommand(command))
            reading_.WordsEnded = true;
    }
    if (!record.complete()) {
        reading_.WordsEnded = true;
        return;
    }
    if (reading_.WordsEnded)
        return;
    reading_.PendingText = record.text;
    reading_.RecordPending = true;
}

void LyricsPlayback::stepLyrics()
{
    if (reading_.WordsEnded)
        reading_.WordsActive = false;
    if (!reading_.WordsActive)
        return;

    if (reading_.RecordPending) {
        // A position that cannot be read counts as the start of the track: the record waits.
        TrackPosition position;
        if (DeviceCommands::ReadTrackPosition(device_, position) != 0)
            position = {};
        if (isDue(reading_.NextRecordTime, position)) {
            lyrics_.reach(reading_.PendingText);
            reading_.RecordPending = false;
        }
    }
    if (!reading_.RecordPending && !reading_.WordsEnded)
        readRecord(Advance::FromPendingRecord);
}

void LyricsPlayback::releaseAtStop()
{
    reading_.WordsActive = false;
    reading_.WordsEnded = true;
    destroyDisplay(true);
    lyrics_.end();
    closeFile();
}

void LyricsPlayback::wordsOff()
{
    reading_.WordsActive = false;
    destroyDisplay(true);
}

void LyricsPlayback::closeAtExit()
{
    reading_.WordsActive = false;
    reading_.WordsEnded = true;
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
