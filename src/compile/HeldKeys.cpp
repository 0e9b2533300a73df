#include "compile/HeldKeys.h"

namespace {
// No finger lifts and presses a key again this fast; a window system's repeat does.
constexpr quint64 RepeatSlackMs = 5;
} // namespace

bool HeldKeys::isRepeat(int key, quint64 timestamp, bool autoRepeat) const
{
    // An event without a time was made by a program, not by a held key.
    const bool repeatOfRelease = timestamp != 0 && anyReleased_ && key == lastReleasedKey_ &&
                                 timestamp >= lastReleaseTime_ &&
                                 timestamp - lastReleaseTime_ <= RepeatSlackMs;
    return autoRepeat || repeatOfRelease || down_.contains(key);
}

bool HeldKeys::press(int key, quint64 timestamp, bool autoRepeat)
{
    const bool repeat = isRepeat(key, timestamp, autoRepeat);
    anyReleased_ = false;
    down_.insert(key);
    return !repeat;
}

void HeldKeys::release(int key, quint64 timestamp, bool autoRepeat)
{
    if (autoRepeat)
        return;
    down_.remove(key);
    anyReleased_ = true;
    lastReleasedKey_ = key;
    lastReleaseTime_ = timestamp;
}
