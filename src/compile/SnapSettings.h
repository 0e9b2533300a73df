#pragma once

class SettingsStore;

// Whether timing presses move to the nearest note onset, and how far they
// look for one; kept in the settings between takes. Off until the author
// turns it on, so a take times exactly what was pressed unless asked.
struct SnapSettings {
    static constexpr int DefaultWindowMs = 80;
    static constexpr int MinWindowMs = 10;
    static constexpr int MaxWindowMs = 250;

    bool enabled = false;
    int windowMs = DefaultWindowMs;

    // What the settings hold; a missing or out-of-range value gives the default.
    static SnapSettings read(SettingsStore& settings);
    bool write(SettingsStore& settings) const;
};
