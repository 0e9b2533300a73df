#pragma once

class CdAudioDevice;
class PlayerControls;
struct PlayerState;

// The transport handlers behind Play, Stop, Rew, FF, Eject1 and SetMode and
// their popup twins. PlayClick and StopClick are also what the playback
// monitor and the compiler window call.
//
// Play modes: 0 normal, 1 one-track repeat, 2 repeat all, 3 random.
class Transport {
public:
    Transport(CdAudioDevice& device, PlayerState& state, PlayerControls& controls);

    // Plays CurrentTrack to the end of the disc; nothing while the door is open.
    void PlayClick();
    void StopClick();
    // Previous: back one track (wrapping to the last) unless playing at a
    // seconds field of 1 or more, which restarts the current track.
    void RewClick();
    // Next: on one track (wrapping to the first); plays only while playing.
    void FFClick();
    // Opens the door (stopping first) and closes it, alternately.
    void Eject1Click();
    // 0 → 1 → 2 → 3 → 0.
    void SetModeClick();
    // The mode items of the popup menu and the restored state.
    void setPlayMode(int mode);
    // 1 … TrackCount, each equally likely; 1 when there are no tracks.
    int RandomTrack();

private:
    // The track count of Rew and FF: the whole reply, 1 when it is empty,
    // nothing when it is not a number.
    bool readTrackCount(int& count);

    CdAudioDevice& device_;
    PlayerState& state_;
    PlayerControls& controls_;
};
