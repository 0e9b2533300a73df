#pragma once

// How the player goes on when a track ends. The numbers are the ones the
// settings keep and the order the mode button cycles through.
enum class PlayMode : int {
    Normal = 0,    // stop after the track
    RepeatOne = 1, // play the same track again
    RepeatAll = 2, // go on to the next track, from the last back to the first
    Random = 3,    // play a track chosen at random
};

inline constexpr int PlayModeCount = 4;

// A mode read from the settings as it was stored: a number out of range is
// kept as it is (it lights no lamp, checks no item and does nothing at a
// track's end), so a file from a later version is not rewritten by this one.
constexpr PlayMode playModeFromStored(int stored)
{
    return static_cast<PlayMode>(stored);
}
