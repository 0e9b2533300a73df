#pragma once

#include "lyrics/LyricsReading.h"
#include "lyrics/LyricsStepper.h"
#include "platform/Clock.h"
#include "player/DeviceCommands.h"
#include "player/SoundClock.h"

#include <QTimer>
#include <optional>

class Association;
class CdAudioDevice;
class LyricState;
class LyricsWindowHost;
class MessageBoxes;

// Lyrics at play: the loading step of a play, the lyrics step of every
// monitor tick, and the lyrics parts of a stop and of switching lyrics off.
//
// A play looks up the lyrics file related to the disc and track, checks its
// header and size, shows the display window, scans the whole file once for
// the pages of pre text, then reads the first record again: its commands act
// at once, its text waits. Each tick draws the waiting text once the disc
// position within the track reaches its time (minutes, seconds, frames; 75
// frames a second) and reads the next record, whose delta adds to that time
// (LyricsStepper). Any short read ends the lyrics silently; what is on screen
// stays. A play whose lyrics file is refused leaves the display empty.
//
// The load shows modal boxes, and ticks run nested inside them: by then the
// previous lyrics are released and nothing is pending, so such a tick draws
// nothing; reading from the closed file ends the lyrics, which the load then
// leaves inactive anyway. A tick inside a box may also start the next track,
// whose lyrics then stand: the outer load, once its box is answered, leaves
// them alone.
//
// Between ticks it wakes on a precise timer: when the next piece is due by the
// sound clock (the positions read at the ticks), so the piece turns within a
// frame of its time, and while a wipe fills, once per frame of the display.
// Nothing wakes it otherwise.
class LyricsPlayback {
public:
    LyricsPlayback(CdAudioDevice& device, MessageBoxes& boxes, Association& association, LyricState& lyrics,
                   LyricsWindowHost& host);
    ~LyricsPlayback();

    // The lyrics step of a play that has just started track (currentTrack).
    void loadAtPlay(int track);
    // The last step of every monitor tick.
    void stepLyrics();
    // A stop: lyrics inactive and ended, the display window destroyed (its
    // position saved first), the lyric texts released, the file closed.
    void releaseAtStop();
    // The lyrics switch went up: lyrics stop following playback and the
    // display window goes at once (its position saved first). The file stays
    // open until the next play or stop.
    void wordsOff();
    // The main window is closing: the display window goes with it (its
    // position is not saved), the lyric texts are released, the file closed.
    void closeAtExit();

    const LyricsReading& reading() const { return reading_; }

    // The wall clock the ticks and wakes are timed by; a steady one unless set.
    void setClock(const Clock& clock) { clock_ = &clock; }
    // The wake between ticks: draws what is due at the sound clock's time and
    // the wipe as it stands then, and sets the next wake.
    void wake();
    // The wall clock time of the next wake; none while nothing comes before the next tick.
    std::optional<qint64> nextWakeMs() const { return nextWakeMs_; }
    // The track time the last wake drew at.
    qint64 lastWakeTrackMs() const { return lastWakeTrackMs_; }
    // A piece further off than this is left to the next tick, which reads a fresher position.
    static constexpr qint64 WakeHorizonMs = 100;

    // The disc has reached time: its minutes are earlier, or equal with
    // earlier seconds, or both equal with frames not later.
    static bool isDue(const TrackPosition& time, const TrackPosition& position);

    static QString identityFailedMessage();
    static QString missingFileMessage();
    static QString notAFileMessage();
    static QString deleteFailedMessage();

private:
    bool openAndCheck(const QString& fileName, int track);
    void clearDisplay();
    void destroyDisplay(bool savePosition);
    void closeFile();
    void scheduleWake(qint64 nowMs);
    void stopWaking();

    CdAudioDevice& device_;
    MessageBoxes& boxes_;
    Association& association_;
    LyricState& lyrics_;
    LyricsWindowHost& host_;
    LyricsReading reading_;
    LyricsStepper stepper_;
    quint64 loadCount_ = 0;
    // The box about a missing file is open: a track repeated under it asks nothing more.
    bool missingFileAsked_ = false;

    SteadyClock steadyClock_;
    const Clock* clock_ = &steadyClock_;
    SoundClock soundClock_;
    QTimer wakeTimer_;
    std::optional<qint64> nextWakeMs_;
    qint64 lastWakeTrackMs_ = 0;
};
