#include "LyricsStepper.h"

#include "core/DwdReader.h"
#include "lyrics/LyricState.h"

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

void LyricsStepper::start()
{
    reading_.RecordPending = false;
    reading_.HeldCommands.clear();
    reading_.HoldUntil = {};
    if (!reading_.WordsFile || !reading_.WordsFile->isOpen()) {
        reading_.WordsEnded = true;
        return;
    }
    scanWholeFile();
    // The scan may have ended the lyrics at a command cut short at the end of
    // the file; playing still shows every complete record before that one.
    reading_.WordsEnded = false;
    if (!reading_.WordsFile->seek(FirstRecordOffset))
        reading_.WordsEnded = true;
    lyrics_.startPlayback();
    if (!reading_.WordsEnded)
        readRecord(Advance::FromTrackStart);
}

// Builds the pages of pre text from every record up to the first one the file cuts short.
void LyricsStepper::scanWholeFile()
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

void LyricsStepper::step(const TrackPosition& position)
{
    for (;;) {
        if (!reading_.HeldCommands.isEmpty()) {
            const bool pendingDue = reading_.RecordPending && isDue(reading_.NextRecordTime, position);
            if (!isDue(reading_.HoldUntil, position) && !pendingDue)
                return;
            const QList<DwdCommand> commands = std::move(reading_.HeldCommands);
            reading_.HeldCommands.clear();
            applyCommands(commands);
        }
        if (reading_.RecordPending) {
            if (!isDue(reading_.NextRecordTime, position))
                return;
            lyrics_.reach(reading_.PendingText);
            reading_.RecordPending = false;
            reading_.HoldUntil = position;
            TrackPosition::addDelta(reading_.HoldUntil, TrackPosition{0, 0, PageHoldFrames});
        }
        if (reading_.WordsEnded)
            return;
        readRecord(Advance::FromPendingRecord);
        if (!reading_.RecordPending)
            return;
    }
}

void LyricsStepper::readRecord(Advance advance)
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

    if (!record.complete()) {
        applyCommands(record.commands);
        reading_.WordsEnded = true;
        return;
    }
    if (advance == Advance::FromPendingRecord && clearsThePage(record.commands))
        reading_.HeldCommands = record.commands;
    else
        applyCommands(record.commands);
    if (reading_.WordsEnded)
        return;
    reading_.PendingText = record.text;
    reading_.RecordPending = true;
}

void LyricsStepper::applyCommands(const QList<DwdCommand>& commands)
{
    for (const DwdCommand& command : commands) {
        if (lyrics_.applyCommand(command))
            reading_.WordsEnded = true;
    }
}
