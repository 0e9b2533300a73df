#pragma once

#include <QString>

class SettingsStore;

// The author's tap latency kept between sessions: an integer number of
// milliseconds, "TapLatency" under "Software\OndelPlayer\CompileState". A
// value that is missing, not an integer or beyond what a count-in can measure
// (another version's, or edited by hand) reads as 0: no correction, so a bad
// value never moves the author's times.
class TapLatencyStore {
public:
    explicit TapLatencyStore(SettingsStore& settings) : settings_(settings) {}

    int read() const;
    // False when the key cannot be opened or the value not written, and for
    // a value read() would not give back.
    bool write(int latencyMs);

    static bool inRange(int latencyMs);
    static QString writeFailedMessage();

private:
    SettingsStore& settings_;
};
