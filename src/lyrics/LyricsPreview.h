#pragma once

#include "lyrics/DrawCursor.h"
#include "lyrics/ImageCanvas.h"
#include "lyrics/LyricDisplay.h"
#include "lyrics/LyricState.h"
#include "lyrics/LyricsReading.h"
#include "lyrics/LyricsStepper.h"

#include <QList>
#include <QSize>
#include <QString>

// The lyrics window's picture at a moment of a track, without a disc or a
// window: the track plays from its start with a monitor tick every 50 ms, and
// the lyrics file is followed by the same lyric state, stepping, canvas and
// full redraw as in the player. The canvas starts at the window's client size
// and follows "formsize" as the window does.
//
// Times are minutes, seconds and frames within the track (75 frames a
// second); the disc position at a tick t ms after the start is t * 75 / 1000
// frames, rounded down, as a playing disc reports it. Between ticks the
// player wakes at the first millisecond each piece is due, and with the wipe
// the picture shows the fill at the very moment asked for.
class LyricsPreview final : private LyricDisplay {
public:
    static constexpr int TickMs = 50;

    explicit LyricsPreview(QSize clientSize = QSize(435, 300));
    ~LyricsPreview() override;

    // Opens the file and makes the player's checks; on refusal says why in
    // error (the player's message) and returns false.
    bool open(const QString& fileName, QString& error);
    // Plays on up to `at`: the first call starts the track (the first
    // picture), then every tick up to that position runs. A full redraw is
    // forced at each of redraws (as activating the window does) right after
    // the last tick at or before that time; redraws before the ticks already
    // run or after `at` are ignored. Later calls go on from there.
    // A position stands for its last millisecond.
    void runTo(const TrackPosition& at, QList<TrackPosition> redraws = {});
    // The same to a moment in milliseconds within the track.
    void runToMs(qint64 atMs, QList<TrackPosition> redraws = {});
    // Pieces fill as they are sung instead of turning at once; set before the first run.
    void setWipe(bool on) { lyrics_.setWipe(on); }
    // The window's full redraw now, as activating it does.
    void redraw() { clientResized(); }
    // Position of the last tick run (0:00:00 before the first).
    TrackPosition lastTick() const { return positionAt(lastTickMs_); }

    const QImage& image() const { return canvas_.image(); }
    const LyricState& lyrics() const { return lyrics_; }
    const LyricsReading& reading() const { return reading_; }

    // The position a playing disc reports ms after the start of its track.
    static TrackPosition positionAt(qint64 ms);
    // The last millisecond of the track at which a disc reports at.
    static qint64 lastMsOf(const TrackPosition& at);

private:
    void setClientSize(int width, int height) override;
    void clientResized() override;
    void tick(const TrackPosition& position);
    void wakeForPieces(qint64 untilMs);

    ImageCanvas canvas_;
    DrawCursor cursor_;
    LyricState lyrics_;
    LyricsReading reading_;
    LyricsStepper stepper_{reading_, lyrics_};
    bool started_ = false;
    qint64 lastTickMs_ = 0;
};
