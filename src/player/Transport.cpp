#include "player/Transport.h"

#include "player/DeviceCommands.h"
#include "player/PlayerControls.h"
#include "player/PlayerState.h"

#include <cstdio>

using namespace DeviceCommands;

Transport::Transport(CdAudioDevice& device, PlayerState& state, PlayerControls& controls)
    : device_(device), state_(state), controls_(controls)
{
}

void Transport::play()
{
    playAt(state_.paused ? state_.pausedAt : 0);
}

void Transport::playAt(int offset)
{
    Q_ASSERT(offset >= 0);
    ReplyBuffer reply;
    send(device_, "status cdaudio mode wait", reply);
    if (isMode(reply, "open"))
        return;

    controls_.setPlayEnabled(false);
    state_.playPending = true;
    state_.userStopped = false;

    send(device_, "status cdaudio number of tracks wait", reply);
    if (const auto count = twoCharNumber(reply, 0))
        state_.trackCount = *count;

    state_.paused = false;
    // No check against trackCount: the device says whether the track exists.
    int result = 0;
    if (offset == 0) {
        result = sendNumber(device_, "play cdaudio from %d", state_.currentTrack, reply);
    }
    else {
        const TrackPosition at = TrackPosition::fromFrames(offset);
        char command[64];
        std::snprintf(command, sizeof command, "play cdaudio from %d:%02d:%02d:%02d", state_.currentTrack,
                      int(at.minutes), int(at.seconds), int(at.frames));
        result = send(device_, command, reply);
    }
    if (result != 0) {
        playFailed();
        return;
    }
    // Set before the lyrics load: a tick nested in one of its message boxes
    // must see that this play was ours and not issue another.
    state_.trackChangeLatch = true;

    if (controls_.wordsOnDown())
        controls_.loadLyricsAtPlay();
}

// Nothing plays: Play stays usable and nothing restarts on its own. Without a
// disc the user is told so rather than being shown a lyrics error, and the
// lyrics of a play that never started are not looked up.
void Transport::playFailed()
{
    state_.playPending = false;
    state_.userStopped = true;
    controls_.setPlayEnabled(true);
    ReplyBuffer reply;
    send(device_, "status cdaudio mode wait", reply);
    if (isMode(reply, "not ready"))
        controls_.reportNoDisc();
}

void Transport::stop()
{
    // Marked stopped first: a tick that runs while the drive stops must see
    // the user's stop, not an end of track to repeat.
    state_.playPending = false;
    state_.userStopped = true;
    state_.paused = false;
    ReplyBuffer reply;
    send(device_, "stop cdaudio", reply);
    controls_.releaseLyricsAtStop();
}

// The lyrics stay on screen at the place kept: the next play loads them again
// and draws them up to there.
// The lyrics stay on screen: the next play loads them again and draws them
// up to the place kept.
void Transport::pause()
{
    ReplyBuffer reply;
    send(device_, "status cdaudio mode wait", reply);
    if (!isMode(reply, "playing"))
        return;
    state_.playPending = false;
    state_.userStopped = true;
    send(device_, "stop cdaudio", reply);
    // A stopped disc holds the place it was heard at.
    send(device_, "status cdaudio position wait", reply);
    const auto track = twoCharNumber(reply, 0);
    const auto minutes = twoCharNumber(reply, 3);
    const auto seconds = twoCharNumber(reply, 6);
    const auto frames = twoCharNumber(reply, 9);
    state_.paused = true;
    state_.pausedAt = 0;
    if (track && minutes && seconds && frames) {
        state_.currentTrack = *track;
        state_.pausedAt = (*minutes * 60 + *seconds) * CdFrames::PerSecond + *frames;
    }
}

void Transport::seek(int frame)
{
    Q_ASSERT(frame >= 0);
    if (state_.paused) {
        state_.pausedAt = frame;
        return;
    }
    ReplyBuffer reply;
    send(device_, "status cdaudio mode wait", reply);
    if (!isMode(reply, "playing"))
        return;
    state_.trackChangeLatch = true;
    playAt(frame);
}

bool Transport::readTrackCount(int& count)
{
    ReplyBuffer reply;
    send(device_, "status cdaudio number of tracks wait", reply);
    if (reply.isEmpty()) {
        count = 1;
        return true;
    }
    const auto number = wholeNumber(reply);
    if (!number)
        return false;
    count = *number;
    return true;
}

void Transport::rewind()
{
    int count = 1;
    // A count that is not a number leaves the player as it was.
    if (!readTrackCount(count))
        return;
    state_.paused = false;
    const auto stepBack = [&] {
        state_.currentTrack -= 1;
        if (state_.currentTrack < 1)
            state_.currentTrack = count;
    };

    ReplyBuffer reply;
    send(device_, "status cdaudio mode wait", reply);
    if (!isMode(reply, "playing")) {
        stepBack();
        return;
    }

    // Within the first second of a track Rew goes to the previous track;
    // later it restarts this one. The minutes count too: at 2:00 the track
    // has played for two minutes, not for less than a second.
    send(device_, "status cdaudio position wait", reply);
    const auto minutes = twoCharNumber(reply, 3);
    const auto seconds = twoCharNumber(reply, 6);
    if (!minutes || !seconds)
        return;
    if (*minutes == 0 && *seconds < 1)
        stepBack();
    state_.trackChangeLatch = true;
    play();
}

void Transport::fastForward()
{
    int count = 1;
    if (!readTrackCount(count))
        return;
    state_.paused = false;
    state_.currentTrack += 1;
    if (state_.currentTrack > count)
        state_.currentTrack = 1;

    ReplyBuffer reply;
    send(device_, "status cdaudio mode wait", reply);
    if (isMode(reply, "playing")) {
        state_.trackChangeLatch = true;
        play();
    }
}

void Transport::eject()
{
    state_.userStopped = true;
    state_.paused = false;
    state_.currentTrack = 1;
    ReplyBuffer reply;
    // The drive says when its door is open, whoever opened it (the user by
    // hand, or before the program started); the program's own flag covers a
    // drive that reports an open door only as not ready.
    send(device_, "status cdaudio mode wait", reply);
    const bool doorOpen = isMode(reply, "open") || (state_.doorOpen && isMode(reply, "not ready"));
    if (doorOpen) {
        send(device_, "set cdaudio door closed", reply);
        state_.doorOpen = false;
    }
    else {
        stop();
        send(device_, "set cdaudio door open", reply);
        state_.doorOpen = true;
    }
}

void Transport::cyclePlayMode()
{
    const int next = int(state_.playMode) + 1;
    setPlayMode(next >= PlayModeCount ? PlayMode::Normal : static_cast<PlayMode>(next));
}

void Transport::setPlayMode(PlayMode mode)
{
    state_.playMode = mode;
    controls_.showPlayMode(mode);
}

int Transport::randomTrack()
{
    if (state_.trackCount <= 0)
        return 1;
    // minstd_rand yields non-negative 31-bit values.
    return int(state_.random() % unsigned(state_.trackCount)) + 1;
}
