#pragma once

#include <QSet>
#include <QtGlobal>

// Which keys are held down, so that one physical press times one piece
// however the window system reports a held key. Some report it as further
// presses marked as repeats; X11 sends a release and a press with the same
// time for each repeat, and those are not always marked. A press of a key
// that is already down, or one within a few milliseconds of its release, is a
// repeat.
class HeldKeys {
public:
    // True for a new physical press of key; false for a repeat.
    bool press(int key, quint64 timestamp, bool autoRepeat);
    // Whether a press would be a repeat, without taking it.
    bool isRepeat(int key, quint64 timestamp, bool autoRepeat) const;
    // A release reported as a repeat keeps the key down.
    void release(int key, quint64 timestamp, bool autoRepeat);
    bool isDown(int key) const { return down_.contains(key); }
    // The window lost the keyboard: its releases go elsewhere.
    void forgetAll()
    {
        down_.clear();
        anyReleased_ = false;
    }

private:
    QSet<int> down_;
    int lastReleasedKey_ = 0;
    quint64 lastReleaseTime_ = 0;
    bool anyReleased_ = false;
};
