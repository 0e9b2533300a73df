#include "app/DiscChanger.h"

#include "app/PlayerRemote.h"
#include "platform/Trace.h"
#include "platform/cdaudio/DeviceSession.h"
#include "platform/cdaudio/DiscSourceFactory.h"
#include "player/DiscStartup.h"
#include "player/PlayerStartup.h"
#include "player/PlayerState.h"

#include <cstdio>

DiscChanger::DiscChanger(DeviceSession& session, CdAudioDevice& device, PlayerState& state,
                         PlayerRemote& remote, MessageBoxes& boxes, SettingsStore& settings,
                         const Clock& clock, Trace* trace)
    : session_(session), device_(device), state_(state), remote_(remote), boxes_(boxes), settings_(settings),
      clock_(clock), trace_(trace)
{
}

DiscChanger::Outcome DiscChanger::change(const QString& source)
{
    QString error;
    auto next = DiscSourceFactory::create(source, clock_, &error);
    if (!next) {
        const QString why = QStringLiteral("cannot change to the disc %1: %2").arg(source, error);
        std::fprintf(stderr, "ondelplayer: %s\n", qPrintable(why));
        if (trace_)
            trace_->note(why);
        return Outcome::BadSource;
    }
    if (next->lockKey() == session_.source().lockKey())
        return Outcome::SameDisc;
    remote_.stop();
    if (!session_.changeDisc(std::move(next))) {
        PlayerStartup::showDriveInUse(boxes_);
        return Outcome::Refused;
    }
    // The new disc is read as at start-up; the device is open already, so
    // its open answers at once. The user's play mode is no property of a disc.
    const PlayMode mode = state_.playMode;
    PlayerStartup::openDevice(device_, boxes_, state_);
    state_.doorOpen = false;
    state_.wasPlaying = false;
    state_.lastPolledTrack = state_.currentTrack;
    remote_.setPlayMode(mode);
    DiscStartup::prepare(session_.source(), settings_, trace_);
    return Outcome::Changed;
}

std::optional<QString> DiscChanger::unplayable(const QString& source, const Clock& clock)
{
    QString error;
    const auto disc = DiscSourceFactory::create(source, clock, &error);
    if (!disc)
        return error;
    if (disc->presence() == DiscPresence::Unreadable)
        return disc->problem();
    return std::nullopt;
}

QString DiscChanger::unplayableMessage(const QString& reason)
{
    return QStringLiteral("指定されたディスクを再生できません。\n%1").arg(reason);
}
