#include "app/MprisModel.h"

#include "app/PlayerRemote.h"
#include "player/DeviceCommands.h"
#include "player/PlayerState.h"

#include <QDBusObjectPath>

namespace {
constexpr int FramesPerSecond = 75;

qlonglong framesToMicroseconds(qlonglong frames)
{
    return frames * 1000000 / FramesPerSecond;
}

int digit(char c)
{
    return c >= '0' && c <= '9' ? c - '0' : -1;
}
} // namespace

MprisModel::MprisModel(PlayerRemote& remote, CdAudioDevice& device) : remote_(remote), device_(device)
{
}

bool MprisModel::playing() const
{
    return remote_.playerState().wasPlaying;
}

void MprisModel::PlayPause()
{
    if (playing())
        remote_.stop();
    else
        remote_.play();
}

// Play while playing would start the track again: it does nothing.
void MprisModel::Play()
{
    if (!playing())
        remote_.play();
}

void MprisModel::Pause()
{
    if (playing())
        remote_.stop();
}

void MprisModel::Stop()
{
    remote_.stop();
}

void MprisModel::Next()
{
    remote_.next();
}

void MprisModel::Previous()
{
    remote_.previous();
}

QString MprisModel::playbackStatus() const
{
    return playing() ? QStringLiteral("Playing") : QStringLiteral("Stopped");
}

QString MprisModel::loopStatus() const
{
    switch (remote_.playerState().playMode) {
    case PlayMode::RepeatOne:
        return QStringLiteral("Track");
    case PlayMode::RepeatAll:
        return QStringLiteral("Playlist");
    default:
        return QStringLiteral("None");
    }
}

void MprisModel::setLoopStatus(const QString& status)
{
    if (status == QLatin1String("Track"))
        remote_.setPlayMode(PlayMode::RepeatOne);
    else if (status == QLatin1String("Playlist"))
        remote_.setPlayMode(PlayMode::RepeatAll);
    else if (status == QLatin1String("None") && remote_.playerState().playMode != PlayMode::Random)
        remote_.setPlayMode(PlayMode::Normal);
}

bool MprisModel::shuffle() const
{
    return remote_.playerState().playMode == PlayMode::Random;
}

void MprisModel::setShuffle(bool on)
{
    if (on)
        remote_.setPlayMode(PlayMode::Random);
    else if (shuffle())
        remote_.setPlayMode(PlayMode::Normal);
}

bool MprisModel::canPlay() const
{
    return !remote_.playerState().doorOpen;
}

MprisModel::MetadataKey MprisModel::metadataKey() const
{
    const PlayerState& state = remote_.playerState();
    return {state.currentTrack, state.trackCount, state.doorOpen};
}

std::optional<qlonglong> MprisModel::msfToMicroseconds(const QByteArray& text)
{
    if (text.size() != 8 || text[2] != ':' || text[5] != ':')
        return std::nullopt;
    int fields[3];
    for (int i = 0; i < 3; ++i) {
        const int high = digit(text[i * 3]);
        const int low = digit(text[i * 3 + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        fields[i] = high * 10 + low;
    }
    if (fields[1] >= 60 || fields[2] >= FramesPerSecond)
        return std::nullopt;
    return framesToMicroseconds((qlonglong(fields[0]) * 60 + fields[1]) * FramesPerSecond + fields[2]);
}

QVariantMap MprisModel::metadata()
{
    const MetadataKey key = metadataKey();
    if (cachedKey_ == key)
        return cachedMetadata_;
    cachedKey_ = key;
    cachedMetadata_.clear();
    if (key.doorOpen)
        return cachedMetadata_;
    cachedMetadata_.insert(QStringLiteral("mpris:trackid"),
                           QVariant::fromValue(QDBusObjectPath(
                               QStringLiteral("/org/ondelplayer/OndelPlayer/track/%1").arg(key.track))));
    cachedMetadata_.insert(QStringLiteral("xesam:trackNumber"), key.track);
    cachedMetadata_.insert(QStringLiteral("xesam:title"), QStringLiteral("Track %1").arg(key.track));
    ReplyBuffer reply;
    if (DeviceCommands::sendNumber(device_, "status cdaudio length track %d wait", key.track, reply) == 0) {
        if (const auto length = msfToMicroseconds(reply.toByteArray()))
            cachedMetadata_.insert(QStringLiteral("mpris:length"), *length);
    }
    if (DeviceCommands::send(device_, "info cdaudio identity", reply) == 0 && !reply.isEmpty())
        cachedMetadata_.insert(QStringLiteral("ondelplayer:discIdentity"),
                               QString::fromLatin1(reply.toByteArray()));
    return cachedMetadata_;
}

qlonglong MprisModel::position()
{
    TrackPosition at;
    if (DeviceCommands::readTrackPosition(device_, at) != 0)
        return 0;
    return framesToMicroseconds((qlonglong(at.minutes) * 60 + at.seconds) * FramesPerSecond + at.frames);
}

QVariantMap MprisModel::changedProperties()
{
    const QVariantMap now{
        {QStringLiteral("PlaybackStatus"), playbackStatus()},
        {QStringLiteral("LoopStatus"), loopStatus()},
        {QStringLiteral("Shuffle"), shuffle()},
        {QStringLiteral("Metadata"), metadata()},
        {QStringLiteral("CanPlay"), canPlay()},
        {QStringLiteral("CanPause"), canPlay()},
        {QStringLiteral("CanGoNext"), canGoNext()},
        {QStringLiteral("CanGoPrevious"), canGoPrevious()},
    };
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (!published_.contains(it.key()) || published_.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    }
    published_ = now;
    return changed;
}
