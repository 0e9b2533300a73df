#pragma once

#include <QString>
#include <optional>

class CdAudioDevice;
class Clock;
class DeviceSession;
class MessageBoxes;
class PlayerRemote;
class SettingsStore;
class Trace;
struct PlayerState;

// Puts the disc a later start of the program asked for into the running
// player's drive: playback stops, the new disc is read as at start-up (its
// track and track count, the demo lyrics on the demo disc) and the play mode
// stays. A disc another program holds is refused with the start-up's
// message and the old disc stays; a source that cannot be made is said on
// standard error and in the trace.
class DiscChanger {
public:
    DiscChanger(DeviceSession& session, CdAudioDevice& device, PlayerState& state, PlayerRemote& remote,
                MessageBoxes& boxes, SettingsStore& settings, const Clock& clock, Trace* trace);

    enum class Outcome { Changed, SameDisc, Refused, BadSource };
    Outcome change(const QString& source);

    // Why a source cannot be played, if it cannot: it names no disc, or its
    // disc cannot be read.
    static std::optional<QString> unplayable(const QString& source, const Clock& clock);
    // The box the running player shows for a later start's source it cannot play.
    static QString unplayableMessage(const QString& reason);

private:
    DeviceSession& session_;
    CdAudioDevice& device_;
    PlayerState& state_;
    PlayerRemote& remote_;
    MessageBoxes& boxes_;
    SettingsStore& settings_;
    const Clock& clock_;
    Trace* trace_;
};
