#pragma once

#include "core/PlayMode.h"

#include <QString>

// What the transport handlers and the playback monitor need from the main
// window. The window implements it; tests implement it with a fake. The
// hooks at the end belong to features that arrive with their own windows
// (lyrics, compiler, mini window): each does nothing until then.
class PlayerControls {
public:
    enum class HookResult { Done, Failed };

    virtual ~PlayerControls() = default;

    // Play and its popup twin RMenuPlay, together.
    virtual void setPlayEnabled(bool enabled) = 0;
    // ClockDisp1 … ClockDisp6 (index 1 … 6) receive one character each.
    virtual void setDigit(int index, char character) = 0;
    // Lit mode lamps and the checked mode item.
    virtual void showPlayMode(PlayMode mode) = 0;
    virtual void setApplicationTitle(const QString& title) = 0;
    // minimizeButton_ is down: the monitor puts track and time in the title.
    virtual bool minimizeButtonDown() const = 0;
    // lyricsButton_ is down: a play loads the lyrics of its track.
    virtual bool wordsOnDown() const = 0;

    // The lyrics step of a play: look up and load the lyrics of currentTrack.
    // May show message boxes, so ticks can run nested inside it.
    virtual void loadLyricsAtPlay() {}
    // The lyrics part of a stop: lyrics inactive and ended, the display
    // window's position saved and the window destroyed, the lyric texts
    // released, the lyrics file closed.
    virtual void releaseLyricsAtStop() {}
    // The last step of every monitor tick.
    virtual void stepLyrics() {}
    // lyricsButton_ went up: lyrics stop following playback, and the display
    // window, if it exists, has its position saved and is destroyed.
    virtual void lyricsSwitchedOff() {}
    // While the compiler window exists and its timing capture runs: its
    // end. Failed when asking the window or ending the capture failed.
    virtual HookResult endRunningCapture() { return HookResult::Done; }
    // Empties the compiler window reference after a failure of the above.
    virtual void forgetCompilerWindow() {}
    // Play found no disc in the drive: the user is told so.
    virtual void reportNoDisc() {}
    // While the mini window exists: ClockDispN's character into DigitalDisplayN.
    virtual void mirrorDigitsToMiniWindow() {}
};
