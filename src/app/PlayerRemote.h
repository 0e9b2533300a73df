#pragma once

#include "core/PlayMode.h"

struct PlayerState;

// What a remote control (the desktop's media keys, panel applets, phones)
// may do with the player: the same handlers as the buttons, and a look at
// the state they keep. The main window's adapter implements it; tests fake it.
class PlayerRemote {
public:
    virtual ~PlayerRemote() = default;

    virtual const PlayerState& playerState() const = 0;
    virtual void play() = 0;     // play
    virtual void stop() = 0;     // stop
    virtual void next() = 0;     // fastForward
    virtual void previous() = 0; // rewind
    // Stops and keeps the place; play goes on from there (Transport::pause).
    virtual void pause() = 0;
    // To a frame of the current track (Transport::seek).
    virtual void seek(int frame) = 0;
    virtual void setPlayMode(PlayMode mode) = 0;
    // Shows the player's window, restored from the minimised state, on top
    // and active.
    virtual void raise() = 0;
    // As the power button: saves the state and ends the program.
    virtual void quit() = 0;
};
