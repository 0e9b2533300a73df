#pragma once

#include "core/PlayMode.h"

#include <QString>
#include <random>

// The main window's player state, shared by start-up, the transport handlers
// and the playback monitor.
struct PlayerState {
    int currentTrack = 1; // track to play and to show, 1-based
    int trackCount = 1;   // tracks on the disc
    PlayMode playMode = PlayMode::Normal;
    bool playPending = false;      // a play was requested, the device has not yet reported "playing"
    bool trackChangeLatch = false; // a play was issued; the device has not yet reported currentTrack
    bool userStopped = true;       // stopped by the user or never started: no automatic restart
    bool showLengths = false;      // the left button is held on the display panel
    bool firstPaintDone = false;   // false = hide the main window at its next paint
    bool doorOpen = false;         // this program opened the drive door
    bool wasPlaying = false;       // the device reported "playing" at the previous tick
    int lastPolledTrack = 1;       // track read at the previous playing tick
    bool paused = false;           // a pause keeps its place: Play goes on from pausedAt
    int pausedAt = 0;              // frames into currentTrack where the pause left off
    QString editorFileName;        // script open in the editor, compiled by the compiler window

    std::minstd_rand random; // random play mode; seeded from the clock at start-up
};
