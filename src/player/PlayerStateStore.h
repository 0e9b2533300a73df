#pragma once

#include <QString>
#include <optional>

class SettingsStore;

// The player state that survives a restart, in the per-user settings store:
// the main window's position, the play mode, the lyrics switch and mini mode
// under "Software\OndelPlayer\PlayerState", and the lyrics display window's
// position under "Software\OndelPlayer\WordsDisplayState". Every value is a
// 32-bit integer; booleans are 0 or 1 and anything but 0 reads as true.
//
// A load reads the values in a fixed order and stops at the first one that
// is missing or not an integer: the values before it are kept, the rest stay
// empty, and `complete` tells the caller whether to go on with what follows
// the reads (check marks, lamps, the mini window). Nothing is ever reported
// to the user, and nothing is written but by a save.
namespace PlayerStateStore {

struct PlayerValues {
    std::optional<int> left;
    std::optional<int> top;
    std::optional<int> mode;
    std::optional<bool> wordsOn;
    std::optional<bool> miniMode;
    // Every value was read.
    bool complete = false;
};

struct SavedPlayer {
    int left = 0;
    int top = 0;
    int mode = 0;
    bool wordsOn = true;
    bool miniMode = false;
};

struct DisplayPosition {
    std::optional<int> left;
    std::optional<int> top;
};

// Reads "Left", "Top", "Mode", "WordsOn", "MiniCDPlayer" in that order; an
// absent key reads nothing.
PlayerValues loadPlayer(SettingsStore& store);
// Writes the five values in the same order, creating the key; false when the
// key cannot be opened or a write fails (the values before it stay written).
bool savePlayer(SettingsStore& store, const SavedPlayer& values);

// Reads "Left", then "Top" of the lyrics display window.
DisplayPosition loadDisplay(SettingsStore& store);
bool saveDisplay(SettingsStore& store, int left, int top);

// "Wipe" of the lyrics display window: pieces fill as they are sung. Written
// only when the user changes it; absent, the pieces turn all at once.
bool loadWipe(SettingsStore& store);
bool saveWipe(SettingsStore& store, bool wipe);
} // namespace PlayerStateStore
