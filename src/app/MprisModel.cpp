#include "app/MprisModel.h"

#include "app/PlayerRemote.h"
#include "player/DeviceCommands.h"
#include "player/PlayerState.h"

#include <QDBusObjectPath>
#include <cmath>

namespace {
constexpr int FramesPerSecond = 75;
// A position further than this from where playing on would have brought it has jumped.
constexpr qlonglong JumpMicroseconds = 1000000;

qlonglong framesToMicroseconds(qlonglong frames)
{
    return frames * 1000000 / FramesPerSecond;
}

int digit(char c)
{
    return c >= '0' && c <= '9' ? c - '0' : -1;
}

QString trackIdPath(int track)
{
    return QStringLiteral("/org/ondelplayer/OndelPlayer/track/%1").arg(track);
}

// A name the disc gives, or nothing.
QString discText(CdAudioDevice& device, const char* command)
{
    ReplyBuffer reply;
    if (device.sendCommand(command, reply) != 0 || reply.isEmpty())
        return {};
    return QString::fromUtf8(reply.toByteArray());
}
} // namespace

MprisModel::MprisModel(PlayerRemote& remote, CdAudioDevice& device) : remote_(remote), device_(device)
{
    clock_.start();
}

bool MprisModel::playing() const
{
    return remote_.playerState().wasPlaying;
}

MprisModel::Status MprisModel::status() const
{
    // A play just asked for counts as playing: a resumed pause never shows as stopped in between.
    if (playing() || remote_.playerState().playPending)
        return Status::Playing;
    return remote_.playerState().paused ? Status::Paused : Status::Stopped;
}

void MprisModel::PlayPause()
{
    if (playing())
        remote_.pause();
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
        remote_.pause();
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

std::optional<qlonglong> MprisModel::trackLength(int track)
{
    ReplyBuffer reply;
    if (DeviceCommands::sendNumber(device_, "status cdaudio length track %d wait", track, reply) != 0)
        return std::nullopt;
    return msfToMicroseconds(reply.toByteArray());
}

void MprisModel::Seek(qlonglong offset)
{
    if (status() == Status::Stopped)
        return;
    const auto length = trackLength(remote_.playerState().currentTrack);
    if (!length)
        return;
    const qlonglong target = std::max<qlonglong>(0, position() + offset);
    if (target >= *length) {
        remote_.next();
        return;
    }
    SetPosition(QDBusObjectPath(trackIdPath(remote_.playerState().currentTrack)), target);
}

void MprisModel::SetPosition(const QDBusObjectPath& trackId, qlonglong position)
{
    const int track = remote_.playerState().currentTrack;
    if (status() == Status::Stopped || trackId.path() != trackIdPath(track) || position < 0)
        return;
    const auto length = trackLength(track);
    if (!length || position >= *length)
        return;
    remote_.seek(int(position * FramesPerSecond / 1000000));
    seeked_ = this->position();
    lastPlace_ = place();
}

QString MprisModel::playbackStatus() const
{
    switch (status()) {
    case Status::Playing:
        return QStringLiteral("Playing");
    case Status::Paused:
        return QStringLiteral("Paused");
    case Status::Stopped:
        break;
    }
    return QStringLiteral("Stopped");
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
                           QVariant::fromValue(QDBusObjectPath(trackIdPath(key.track))));
    cachedMetadata_.insert(QStringLiteral("xesam:trackNumber"), key.track);
    if (const auto length = trackLength(key.track))
        cachedMetadata_.insert(QStringLiteral("mpris:length"), *length);
    ReplyBuffer reply;
    if (DeviceCommands::send(device_, "info cdaudio identity", reply) == 0 && !reply.isEmpty())
        cachedMetadata_.insert(QStringLiteral("ondelplayer:discIdentity"),
                               QString::fromLatin1(reply.toByteArray()));
    const QByteArray track = QByteArray::number(key.track);
    const QString title = discText(device_, ("info cdaudio title track " + track).constData());
    cachedMetadata_.insert(QStringLiteral("xesam:title"),
                           title.isEmpty() ? QStringLiteral("Track %1").arg(key.track) : title);
    if (const QString album = discText(device_, "info cdaudio title"); !album.isEmpty())
        cachedMetadata_.insert(QStringLiteral("xesam:album"), album);
    QString artist = discText(device_, ("info cdaudio performer track " + track).constData());
    if (artist.isEmpty())
        artist = discText(device_, "info cdaudio performer");
    if (!artist.isEmpty())
        cachedMetadata_.insert(QStringLiteral("xesam:artist"), QStringList{artist});
    return cachedMetadata_;
}

qlonglong MprisModel::position()
{
    if (status() == Status::Paused)
        return framesToMicroseconds(remote_.playerState().pausedAt);
    TrackPosition at;
    if (DeviceCommands::readTrackPosition(device_, at) != 0)
        return 0;
    return framesToMicroseconds(at.totalFrames());
}

int MprisModel::volumePercent()
{
    ReplyBuffer reply;
    if (DeviceCommands::send(device_, "status cdaudio volume wait", reply) != 0)
        return -1;
    return DeviceCommands::wholeNumber(reply).value_or(-1);
}

double MprisModel::volume()
{
    const int percent = volumePercent();
    return percent < 0 ? 1.0 : percent / 100.0;
}

void MprisModel::setVolume(double volume)
{
    if (!std::isfinite(volume))
        return;
    // The stream takes up to twice the disc's level; below silence is silence.
    const int percent = int(std::lround(std::clamp(volume, 0.0, 2.0) * 100));
    ReplyBuffer reply;
    DeviceCommands::sendNumber(device_, "set cdaudio volume %d", percent, reply);
}

QVariantMap MprisModel::changedProperties()
{
    const PlayMode mode = remote_.playerState().playMode;
    const Published now{status(),  mode == PlayMode::Random ? PlayMode::Normal : mode,
                        shuffle(), metadataKey(),
                        canPlay(), volumePercent()};
    if (published_ == now)
        return {};
    const std::optional<Published> before = std::exchange(published_, now);
    const auto differs = [&](auto Published::*field) { return !before || (*before).*field != now.*field; };
    QVariantMap changed;
    if (differs(&Published::status))
        changed.insert(QStringLiteral("PlaybackStatus"), playbackStatus());
    if (differs(&Published::loop))
        changed.insert(QStringLiteral("LoopStatus"), loopStatus());
    if (differs(&Published::shuffle))
        changed.insert(QStringLiteral("Shuffle"), now.shuffle);
    if (differs(&Published::metadata))
        changed.insert(QStringLiteral("Metadata"), metadata());
    if (differs(&Published::canPlay)) {
        for (const QString& name :
             {QStringLiteral("CanPlay"), QStringLiteral("CanPause"), QStringLiteral("CanSeek"),
              QStringLiteral("CanGoNext"), QStringLiteral("CanGoPrevious")})
            changed.insert(name, now.canPlay);
    }
    if (differs(&Published::volume))
        changed.insert(QStringLiteral("Volume"), now.volume < 0 ? 1.0 : now.volume / 100.0);
    return changed;
}

std::optional<MprisModel::Place> MprisModel::place()
{
    const Status now = status();
    if (now == Status::Stopped)
        return std::nullopt;
    const PlayerState& state = remote_.playerState();
    if (now == Status::Paused)
        return Place{state.currentTrack, framesToMicroseconds(state.pausedAt), clock_.elapsed(), false};
    ReplyBuffer reply;
    if (DeviceCommands::send(device_, "status cdaudio position wait", reply) != 0)
        return std::nullopt;
    const auto track = DeviceCommands::twoCharNumber(reply, 0);
    const auto minutes = DeviceCommands::twoCharNumber(reply, 3);
    const auto seconds = DeviceCommands::twoCharNumber(reply, 6);
    const auto frames = DeviceCommands::twoCharNumber(reply, 9);
    // Only the track the player shows counts: the disc may have just entered
    // the next one, which the player has yet to answer.
    if (!track || !minutes || !seconds || !frames || *track != state.currentTrack)
        return std::nullopt;
    const qlonglong position =
        framesToMicroseconds((qlonglong(*minutes) * 60 + *seconds) * FramesPerSecond + *frames);
    return Place{*track, position, clock_.elapsed(), true};
}

std::optional<qlonglong> MprisModel::positionJump()
{
    if (seeked_)
        return std::exchange(seeked_, std::nullopt);
    const std::optional<Place> before = lastPlace_;
    lastPlace_ = place();
    if (!before || !lastPlace_ || before->track != lastPlace_->track)
        return std::nullopt;
    const qlonglong expected =
        before->position +
        (before->moving && lastPlace_->moving ? (lastPlace_->atMs - before->atMs) * 1000 : 0);
    if (std::abs(lastPlace_->position - expected) <= JumpMicroseconds)
        return std::nullopt;
    return lastPlace_->position;
}
