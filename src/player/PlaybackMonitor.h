#pragma once

class CdAudioDevice;
class PlayerControls;
class Transport;
struct ReplyBuffer;
struct PlayerState;

// onTick, the player's main loop, every 50 ms: follows the device's
// mode and position, keeps Play enabled or not, writes the six digits (or
// the lengths while showLengths), the title while minimised, and reacts to a
// track change or the end of playback by the play mode.
//
// A tick can run nested inside another: a handler it calls may show a modal
// box, which keeps delivering timer ticks. trackChangeLatch, set by every
// play, keeps a nested tick from issuing a second play.
class PlaybackMonitor {
public:
    PlaybackMonitor(CdAudioDevice& device, PlayerState& state, PlayerControls& controls,
                    Transport& transport);

    void onTick();

private:
    void playingTick();
    void notPlayingTick();
    void endRunningCapture();
    void playLatched();
    void showPosition(const ReplyBuffer& position);

    CdAudioDevice& device_;
    PlayerState& state_;
    PlayerControls& controls_;
    Transport& transport_;
};
