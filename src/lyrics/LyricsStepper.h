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
// next page is up by the time its first piece is due. With the wipe the hold
// counts from when the piece is full. Any short read ends the lyrics; what is
// on screen stays.
//
// Between ticks the player wakes when the next piece is due, so a piece turns
// on the frame it is due rather than up to a tick late; page turns still wait
// for a tick, so that at every tick the picture is the one the ticks alone
// would draw.
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
    void step(const TrackPosition& position) { stepAt(position, Step::Tick); }
    // A wake between ticks: draws what is due at the position, turns no page.
    void stepBetweenTicks(const TrackPosition& position) { stepAt(position, Step::BetweenTicks); }

    // The disc has reached time: its minutes are earlier, or equal with
    // earlier seconds, or both equal with frames not later.
    static bool isDue(const TrackPosition& time, const TrackPosition& position);
    // The first millisecond of the track at which a disc reports time.
    static qint64 dueMs(const TrackPosition& time);
    // The position a playing disc reports ms after the start of its track.
    static TrackPosition positionAt(qint64 ms);

private:
    enum class Advance { FromTrackStart, FromPendingRecord };
    enum class Step { Tick, BetweenTicks };

    void stepAt(const TrackPosition& position, Step kind);
    // The hold of a page's last piece starts at the tick position, or when a wipe has filled the piece.
    void anchorHold(const TrackPosition& position);

    void scanWholeFile();
    // Reads one record: its delta sets or advances nextRecordTime, its commands
    // act at once (or are held, see above), its text becomes pending.
    void readRecord(Advance advance);
    void applyCommands(const QList<DwdCommand>& commands);

    LyricsReading& reading_;
    LyricState& lyrics_;
};
