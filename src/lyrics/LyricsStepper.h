#pragma once

#include "lyrics/LyricsReading.h"

class LyricState;

// Follows an open, checked lyrics file against the disc position: the scan of
// the whole file at play start, the first record, and every tick after.
//
// Times are minutes, seconds and frames within the track (75 frames a
// second). The first record's delta is its time from the start of the track;
// every later delta adds to the time of the record before it.
//
// A tick draws every record that is due at the position, in file order, and
// reads the record after each one at once, applying its commands, so that no
// piece is drawn more than one tick late however densely the pieces come. A
// record whose commands clear the page waits with them until the piece drawn
// last has been on screen for PageHoldFrames (or until that record is due, if
// sooner): the last piece of a page is seen sung before the page turns, and the
// next page is up by the time its first piece is due. Any short read ends the
// lyrics; what is on screen stays.
class LyricsStepper {
public:
    // How long the last piece of a page stays sung before "clear": 200 ms.
    static constexpr int PageHoldFrames = 15;

    LyricsStepper(LyricsReading& reading, LyricState& lyrics);

    // Play start, with WordsFile standing at the first record and the lyric
    // state begun: scans every record into the pages, goes back to the first
    // record, applies its commands and keeps its text pending.
    void start();
    // One tick at the disc position (only read by the caller while a record is
    // pending; otherwise any position will do).
    void step(const TrackPosition& position);

    // The disc has reached time: its minutes are earlier, or equal with
    // earlier seconds, or both equal with frames not later.
    static bool isDue(const TrackPosition& time, const TrackPosition& position);

private:
    enum class Advance { FromTrackStart, FromPendingRecord };

    void scanWholeFile();
    // Reads one record: its delta sets or advances nextRecordTime, its commands
    // act at once (or are held, see above), its text becomes pending.
    void readRecord(Advance advance);
    void applyCommands(const QList<DwdCommand>& commands);

    LyricsReading& reading_;
    LyricState& lyrics_;
};
