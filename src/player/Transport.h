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

    // Plays CurrentTrack to the end of the disc; nothing while the door is
    // open. A play the device refuses leaves Play enabled and nothing
    // pending; without a disc the user is told so.
    void PlayClick();
    void StopClick();
    // Previous: back one track (wrapping to the last) unless playing one
    // second or more into the track, which restarts the current track.
    void RewClick();
    // Next: on one track (wrapping to the first); plays only while playing.
    void FFClick();
    // Closes an open door, else stops and opens it.
    void Eject1Click();
    // 0 → 1 → 2 → 3 → 0.
    void SetModeClick();
    // The mode items of the popup menu and the restored state.
    void setPlayMode(int mode);
    // 1 … TrackCount, each equally likely; 1 when there are no tracks.
    int RandomTrack();

private:
    void playFailed();
    // The track count of Rew and FF: the whole reply, 1 when it is empty,
    // nothing when it is not a number.
    bool readTrackCount(int& count);

    CdAudioDevice& device_;
    PlayerState& state_;
    PlayerControls& controls_;
};
