#pragma once

#include <QString>
#include <random>

// The main window's player state, shared by start-up, the transport handlers
// and the playback monitor.
struct PlayerState {
    int CurrentTrack = 1;          // track to play and to show, 1-based
    int TrackCount = 1;            // tracks on the disc
    int PlayMode = 0;              // 0 normal, 1 one-track repeat, 2 repeat all, 3 random
    bool PlayPending = false;      // a play was requested, the device has not yet reported "playing"
    bool TrackChangeLatch = false; // a play was issued; the device has not yet reported CurrentTrack
    bool UserStopped = true;       // stopped by the user or never started: no automatic restart
    bool ShowLengths = false;      // the left button is held on the display panel
    bool FirstPaintDone = false;   // false = hide the main window at its next paint
    bool DoorOpen = false;         // this program opened the drive door
    bool WasPlaying = false;       // the device reported "playing" at the previous tick
    int LastPolledTrack = 1;       // track read at the previous playing tick
    QString EditorFileName;        // script open in the editor, compiled by the compiler window

    std::minstd_rand random; // random play mode; seeded from the clock at start-up
};
