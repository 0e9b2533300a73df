#include "player/PlaybackMonitor.h"

#include "player/DeviceCommands.h"
#include "player/PlayerControls.h"
#include "player/PlayerState.h"
#include "player/Transport.h"

#include <QByteArray>
#include <cstdio>

using namespace DeviceCommands;

namespace {
// "OndelPlayer [tt] mm:ss" from the position characters. Built as a C string,
// so the title ends at the first missing character of a short reply.
QString minimisedTitle(const ReplyBuffer& p)
{
    char title[64];
    std::snprintf(title, sizeof title, "OndelPlayer [%c%c] %c%c:%c%c", p.at(0), p.at(1), p.at(3), p.at(4),
                  p.at(6), p.at(7));
    return QString::fromLatin1(title);
}
} // namespace

PlaybackMonitor::PlaybackMonitor(CdAudioDevice& device, PlayerState& state, PlayerControls& controls,
                                 Transport& transport)
    : device_(device), state_(state), controls_(controls), transport_(transport)
{
}

void PlaybackMonitor::Timer1Timer()
{
    ReplyBuffer mode;
    send(device_, "status cdaudio mode wait", mode);
    if (isMode(mode, "open")) {
        state_.PlayPending = false;
        controls_.setPlayEnabled(true);
        state_.UserStopped = true;
    }
    if (isMode(mode, "playing"))
        playingTick();
    else
        notPlayingTick();

    controls_.mirrorDigitsToMiniWindow();
    controls_.stepLyrics();
}

void PlaybackMonitor::showPosition(const ReplyBuffer& position)
{
    static constexpr int indices[6] = {0, 1, 3, 4, 6, 7};
    for (int i = 0; i < 6; ++i)
        controls_.setDigit(i + 1, position.at(indices[i]));
}

void PlaybackMonitor::endRunningCapture()
{
    if (controls_.endRunningCapture() == PlayerControls::HookResult::Failed)
        controls_.forgetCompilerWindow();
}

void PlaybackMonitor::playingTick()
{
    controls_.setPlayEnabled(false);
    state_.PlayPending = false;

    ReplyBuffer reply;
    if (state_.ShowLengths) {
        // The track digits stay; minutes and seconds show the track's length.
        sendNumber(device_, "status cdaudio length track %d wait", state_.CurrentTrack, reply);
        controls_.setDigit(3, reply.at(0));
        controls_.setDigit(4, reply.at(1));
        controls_.setDigit(5, reply.at(3));
        controls_.setDigit(6, reply.at(4));
    }
    else {
        send(device_, "status cdaudio position wait", reply);
        if (controls_.minimizeButtonDown())
            controls_.setApplicationTitle(minimisedTitle(reply));
        if (reply.at(0) != '\0')
            showPosition(reply);
    }

    ReplyBuffer position;
    send(device_, "status cdaudio position wait", position);
    const auto polled = twoCharNumber(position, 0);
    // No track number in the reply: nothing can be compared this tick; the
    // next readable reply picks up where this one left off.
    if (!polled)
        return;

    if (state_.WasPlaying && state_.LastPolledTrack != *polled) {
        endRunningCapture();
        switch (state_.PlayMode) {
        case 0:
        case 2:
            state_.CurrentTrack = *polled;
            [[fallthrough]];
        case 1:
            if (!state_.TrackChangeLatch)
                playLatched();
            break;
        case 3:
            if (!state_.TrackChangeLatch) {
                state_.CurrentTrack = transport_.RandomTrack();
                playLatched();
            }
            break;
        default:
            break;
        }
    }
    if (state_.CurrentTrack == *polled)
        state_.TrackChangeLatch = false;
    state_.LastPolledTrack = *polled;
    state_.WasPlaying = true;
}

void PlaybackMonitor::notPlayingTick()
{
    if (!state_.PlayPending)
        controls_.setPlayEnabled(true);

    if (state_.ShowLengths) {
        ReplyBuffer count;
        send(device_, "status cdaudio number of tracks wait", count);
        controls_.setDigit(1, count.at(0));
        controls_.setDigit(2, count.at(1));
        ReplyBuffer length;
        send(device_, "status cdaudio length wait", length);
        controls_.setDigit(3, length.at(0));
        controls_.setDigit(4, length.at(1));
        controls_.setDigit(5, length.at(3));
        controls_.setDigit(6, length.at(4));
    }
    else {
        const QByteArray track = QByteArray::number(state_.CurrentTrack);
        char first = '0';
        char second = '0';
        if (track.size() == 1) {
            second = track[0];
        }
        else if (track.size() == 2) {
            first = track[0];
            second = track[1];
        }
        controls_.setDigit(1, first);
        controls_.setDigit(2, second);
        for (int i = 3; i <= 6; ++i)
            controls_.setDigit(i, '0');
    }

    if (!state_.WasPlaying)
        return;
    // Cleared before reacting: a tick nested in a box that the reaction shows
    // must not see the same end of play again and play a second time.
    state_.WasPlaying = false;
    endRunningCapture();
    switch (state_.PlayMode) {
    case 0:
        transport_.StopClick();
        break;
    case 1:
        if (!state_.UserStopped)
            playLatched();
        break;
    case 2:
        if (!state_.UserStopped) {
            state_.CurrentTrack = 1;
            transport_.PlayClick();
        }
        break;
    case 3:
        if (!state_.UserStopped) {
            state_.CurrentTrack = transport_.RandomTrack();
            playLatched();
        }
        break;
    default:
        break;
    }
    state_.WasPlaying = false;
}

// A play the monitor issues itself: the latch keeps the track change it
// causes, and ticks nested inside the play, from reacting a second time.
void PlaybackMonitor::playLatched()
{
    transport_.PlayClick();
    state_.TrackChangeLatch = true;
}
