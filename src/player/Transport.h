#pragma once

#include "core/PlayMode.h"

class CdAudioDevice;
class PlayerControls;
struct PlayerState;

// The transport handlers behind the Play, Stop, Rew, FF, Eject and mode buttons and
// their popup twins. play and stop are also what the playback
// monitor and the compiler window call.
class Transport {
public:
    Transport(CdAudioDevice& device, PlayerState& state, PlayerControls& controls);

    // Plays currentTrack to the end of the disc; nothing while the door is
    // open. A play the device refuses leaves Play enabled and nothing
    // pending; without a disc the user is told so.
    void play();
    void stop();
    // Stops where the disc is heard and keeps that place: currentTrack and
    // pausedAt. Play goes on from there; Stop, another track or the door
    // forget it. Nothing while not playing.
    void pause();
    // Moves to frame (0 … length - 1) of currentTrack: playing, the play goes
    // on from there (its lyrics with it); paused, the kept place moves there.
    // Nothing while stopped.
    void seek(int frame);
    // Previous: back one track (wrapping to the last) unless playing one
    // second or more into the track, which restarts the current track.
    void rewind();
    // Next: on one track (wrapping to the first); plays only while playing.
    void fastForward();
    // Closes an open door, else stops and opens it.
    void eject();
    // 0 → 1 → 2 → 3 → 0.
    void cyclePlayMode();
    // The mode items of the popup menu and the restored state.
    void setPlayMode(PlayMode mode);
    // 1 … trackCount, each equally likely; 1 when there are no tracks.
    int randomTrack();

private:
    // Plays currentTrack from offset frames into it.
    void playAt(int offset);
    void playFailed();
    // The track count of Rew and FF: the whole reply, 1 when it is empty,
    // nothing when it is not a number.
    bool readTrackCount(int& count);

    CdAudioDevice& device_;
    PlayerState& state_;
    PlayerControls& controls_;
};
