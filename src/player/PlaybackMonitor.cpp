#include "player/PlaybackMonitor.h"

#include "player/DeviceCommands.h"
#include "player/PlayerControls.h"
#include "player/PlayerState.h"
#include "player/Transport.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

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

// The same title from the six characters on the digits.
QString minimisedTitle(const char (&digits)[6])
{
    char title[64];
    std::snprintf(title, sizeof title, "OndelPlayer [%c%c] %c%c:%c%c", digits[0], digits[1], digits[2],
                  digits[3], digits[4], digits[5]);
    return QString::fromLatin1(title);
}
} // namespace

PlaybackMonitor::PlaybackMonitor(CdAudioDevice& device, PlayerState& state, PlayerControls& controls,
                                 Transport& transport)
    : device_(device), state_(state), controls_(controls), transport_(transport)
{
}

void PlaybackMonitor::onTick()
{
    ReplyBuffer mode;
    send(device_, "status cdaudio mode wait", mode);
    if (isMode(mode, "open")) {
        state_.playPending = false;
        controls_.setPlayEnabled(true);
        state_.userStopped = true;
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
    state_.playPending = false;

    ReplyBuffer position;
    if (state_.showLengths) {
        // The track digits stay; minutes and seconds show the track's length.
        ReplyBuffer length;
        sendNumber(device_, "status cdaudio length track %d wait", state_.currentTrack, length);
        controls_.setDigit(3, length.at(0));
        controls_.setDigit(4, length.at(1));
        controls_.setDigit(5, length.at(3));
        controls_.setDigit(6, length.at(4));
        send(device_, "status cdaudio position wait", position);
    }
    else {
        // One reading serves the digits and the track check below.
        send(device_, "status cdaudio position wait", position);
        if (controls_.minimizeButtonDown())
            controls_.setApplicationTitle(minimisedTitle(position));
        if (position.at(0) != '\0')
            showPosition(position);
    }

    const auto polled = twoCharNumber(position, 0);
    // No track number in the reply: nothing can be compared this tick; the
    // next readable reply picks up where this one left off.
    if (!polled)
        return;

    if (state_.wasPlaying && state_.lastPolledTrack != *polled) {
        endRunningCapture();
        switch (state_.playMode) {
        case PlayMode::Normal:
        case PlayMode::RepeatAll:
            state_.currentTrack = *polled;
            [[fallthrough]];
        case PlayMode::RepeatOne:
            if (!state_.trackChangeLatch)
                playLatched();
            break;
        case PlayMode::Random:
            if (!state_.trackChangeLatch) {
                state_.currentTrack = transport_.randomTrack();
                playLatched();
            }
            break;
        default:
            break;
        }
    }
    if (state_.currentTrack == *polled)
        state_.trackChangeLatch = false;
    state_.lastPolledTrack = *polled;
    state_.wasPlaying = true;
}

void PlaybackMonitor::notPlayingTick()
{
    if (!state_.playPending)
        controls_.setPlayEnabled(true);

    char shown[6];
    if (state_.showLengths) {
        ReplyBuffer count;
        send(device_, "status cdaudio number of tracks wait", count);
        ReplyBuffer length;
        send(device_, "status cdaudio length wait", length);
        const char lengths[6] = {count.at(0),  count.at(1),  length.at(0),
                                 length.at(1), length.at(3), length.at(4)};
        std::copy(std::begin(lengths), std::end(lengths), shown);
    }
    else {
        char track[16];
        const int length = std::snprintf(track, sizeof track, "%d", state_.currentTrack);
        shown[0] = shown[1] = '0';
        if (length == 1) {
            shown[1] = track[0];
        }
        else if (length == 2) {
            shown[0] = track[0];
            shown[1] = track[1];
        }
        for (int i = 2; i < 6; ++i)
            shown[i] = '0';
        if (state_.paused) {
            // A pause shows the place it keeps.
            const TrackPosition at = TrackPosition::fromFrames(state_.pausedAt);
            const int minutes = std::min<int>(at.minutes, 99);
            shown[2] = char('0' + minutes / 10);
            shown[3] = char('0' + minutes % 10);
            shown[4] = char('0' + at.seconds / 10);
            shown[5] = char('0' + at.seconds % 10);
        }
    }
    for (int i = 0; i < 6; ++i)
        controls_.setDigit(i + 1, shown[i]);
    // A title left at the last playing second would pretend the disc still
    // plays: while minimised it follows the digits whatever they show.
    if (controls_.minimizeButtonDown() && !state_.showLengths)
        controls_.setApplicationTitle(minimisedTitle(shown));

    if (!state_.wasPlaying)
        return;
    // Cleared before reacting: a tick nested in a box that the reaction shows
    // must not see the same end of play again and play a second time.
    state_.wasPlaying = false;
    endRunningCapture();
    // A pause is no end of play: nothing follows it until Play.
    if (state_.paused)
        return;
    switch (state_.playMode) {
    case PlayMode::Normal:
        transport_.stop();
        break;
    case PlayMode::RepeatOne:
        if (!state_.userStopped)
            playLatched();
        break;
    case PlayMode::RepeatAll:
        if (!state_.userStopped) {
            state_.currentTrack = 1;
            transport_.play();
        }
        break;
    case PlayMode::Random:
        if (!state_.userStopped) {
            state_.currentTrack = transport_.randomTrack();
            playLatched();
        }
        break;
    default:
        break;
    }
    state_.wasPlaying = false;
}

// A play the monitor issues itself: the latch keeps the track change it
// causes, and ticks nested inside the play, from reacting a second time.
void PlaybackMonitor::playLatched()
{
    transport_.play();
    state_.trackChangeLatch = true;
}
