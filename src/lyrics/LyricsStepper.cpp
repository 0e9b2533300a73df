#include "lyrics/LyricsStepper.h"

#include "lyrics/LyricState.h"
#include "lyrics/format/DwdReader.h"

#include <algorithm>

namespace {
// Records start right after the 11-byte header.
constexpr qint64 FirstRecordOffset = 11;

bool clearsThePage(const QList<DwdCommand>& commands)
{
    return std::any_of(commands.begin(), commands.end(),
                       [](const DwdCommand& command) { return command.code == DwdCode::Clear; });
}
} // namespace

LyricsStepper::LyricsStepper(LyricsReading& reading, LyricState& lyrics) : reading_(reading), lyrics_(lyrics)
{
}

bool LyricsStepper::isDue(const TrackPosition& time, const TrackPosition& position)
{
    if (time.minutes != position.minutes)
        return time.minutes < position.minutes;
    if (time.seconds != position.seconds)
        return time.seconds < position.seconds;
    return time.frames <= position.frames;
}

qint64 LyricsStepper::dueMs(const TrackPosition& time)
{
    // Rounded up: the disc reports a frame from its first millisecond on.
    const qint64 frames = time.totalFrames();
    return frames <= 0 ? frames * 1000 / CdFrames::PerSecond
                       : (frames * 1000 + CdFrames::PerSecond - 1) / CdFrames::PerSecond;
}

TrackPosition LyricsStepper::positionAt(qint64 ms)
{
    return TrackPosition::fromFrames(int(std::max<qint64>(0, ms) * CdFrames::PerSecond / 1000));
}

void LyricsStepper::start()
{
    reading_.recordPending = false;
    reading_.holdFromNextTick = false;
    reading_.HeldCommands.clear();
    reading_.holdUntil = {};
    if (!reading_.WordsFile || !reading_.WordsFile->isOpen()) {
        reading_.wordsEnded = true;
        return;
    }
    scanWholeFile();
    // The scan may have ended the lyrics at a command cut short at the end of
    // the file; playing still shows every complete record before that one.
    reading_.wordsEnded = false;
    if (!reading_.WordsFile->seek(FirstRecordOffset))
        reading_.wordsEnded = true;
    lyrics_.startPlayback();
    if (!reading_.wordsEnded)
        readRecord(Advance::FromTrackStart);
}

// Builds the pages of pre text from every record up to the first one the file cuts short.
void LyricsStepper::scanWholeFile()
{
    QFile& file = *reading_.WordsFile;
    for (;;) {
        const DwdReader::Record record = DwdReader::readRecord(file);
        if (record.hasDelta())
            reading_.nextRecordTime = record.delta;
        for (const DwdCommand& command : record.commands) {
            if (lyrics_.scanCommand(command))
                reading_.wordsEnded = true;
        }
        if (!record.complete())
            return;
        lyrics_.scanText(record.text);
    }
}

void LyricsStepper::stepAt(const TrackPosition& position, Step kind)
{
    if (kind == Step::Tick && reading_.holdFromNextTick)
        anchorHold(position);
    for (;;) {
        if (!reading_.HeldCommands.isEmpty()) {
            const bool pendingDue = reading_.recordPending && isDue(reading_.nextRecordTime, position);
            const bool holding = reading_.holdFromNextTick || !isDue(reading_.holdUntil, position);
            if (holding && !pendingDue)
                return;
            const QList<DwdCommand> commands = std::move(reading_.HeldCommands);
            reading_.HeldCommands.clear();
            applyCommands(commands);
        }
        if (reading_.recordPending) {
            if (!isDue(reading_.nextRecordTime, position))
                return;
            lyrics_.reach(reading_.pendingText, dueMs(reading_.nextRecordTime));
            reading_.recordPending = false;
            reading_.holdFromNextTick = true;
        }
        if (!reading_.wordsEnded) {
            readRecord(Advance::FromPendingRecord);
            if (reading_.recordPending)
                lyrics_.setWipeEnd(dueMs(reading_.nextRecordTime));
        }
        if (kind == Step::Tick && reading_.holdFromNextTick)
            anchorHold(position);
        if (!reading_.recordPending)
            return;
    }
}

void LyricsStepper::anchorHold(const TrackPosition& position)
{
    reading_.holdUntil = position;
    if (const std::optional<qint64> full = lyrics_.wipeEndMs()) {
        const TrackPosition filled =
            TrackPosition::fromFrames(int((std::max<qint64>(0, *full) * CdFrames::PerSecond + 999) / 1000));
        if (!isDue(filled, position))
            reading_.holdUntil = filled;
    }
    TrackPosition::addDelta(reading_.holdUntil, TrackPosition{0, 0, PageHoldFrames});
    reading_.holdFromNextTick = false;
}

void LyricsStepper::readRecord(Advance advance)
{
    if (!reading_.WordsFile || !reading_.WordsFile->isOpen()) {
        reading_.wordsEnded = true;
        return;
    }
    const DwdReader::Record record = DwdReader::readRecord(*reading_.WordsFile);
    if (!record.hasDelta()) {
        reading_.wordsEnded = true;
        return;
    }
    // The first record's delta counts from the start of the track.
    if (advance == Advance::FromTrackStart)
        reading_.nextRecordTime = record.delta;
    else
        TrackPosition::addDelta(reading_.nextRecordTime, record.delta);

    if (!record.complete()) {
        applyCommands(record.commands);
        reading_.wordsEnded = true;
        return;
    }
    if (advance == Advance::FromPendingRecord && clearsThePage(record.commands))
        reading_.HeldCommands = record.commands;
    else
        applyCommands(record.commands);
    if (reading_.wordsEnded)
        return;
    reading_.pendingText = record.text;
    reading_.recordPending = true;
}

void LyricsStepper::applyCommands(const QList<DwdCommand>& commands)
{
    for (const DwdCommand& command : commands) {
        if (lyrics_.applyCommand(command))
            reading_.wordsEnded = true;
    }
}
