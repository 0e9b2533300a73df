#pragma once

#include "core/PlayMode.h"

#include <QElapsedTimer>
#include <QString>
#include <QVariantMap>
#include <optional>

class CdAudioDevice;
class PlayerRemote;
class QDBusObjectPath;

// The player as the MPRIS2 media player interface sees it: the methods
// mapped onto the player's handlers, and the property values worked out
// from the player's state. Pause keeps the place (Transport::pause), so
// PlaybackStatus is "Playing", "Paused" or "Stopped".
//
// Times are microseconds; a track's length and position come from the
// device in minutes, seconds and frames, 75 frames a second.
class MprisModel {
public:
    MprisModel(PlayerRemote& remote, CdAudioDevice& device);

    // org.mpris.MediaPlayer2.Player
    void PlayPause();
    void Play();
    void Pause();
    void Stop();
    void Next();
    void Previous();
    // By offset from the position: past the track's end is Next, before its
    // start is its start. Nothing while stopped.
    void Seek(qlonglong offset);
    // To position within the track trackId names; nothing for another
    // track's id or a position outside the track.
    void SetPosition(const QDBusObjectPath& trackId, qlonglong position);

    QString playbackStatus() const;
    // "None", "Track" or "Playlist" for the play modes normal, one-track
    // repeat and repeat all; random play is Shuffle (with "None").
    QString loopStatus() const;
    void setLoopStatus(const QString& status);
    bool shuffle() const;
    void setShuffle(bool on);
    // mpris:trackid, xesam:trackNumber, xesam:title (the disc's title for
    // the track, else "Track N"), xesam:album and xesam:artist when the disc
    // names them, mpris:length and the disc identity; empty while the door
    // is open. The device is asked once per track.
    QVariantMap metadata();
    // Another disc went in without the door moving (a later start handed
    // one over): the next metadata asks the device again.
    void discChanged() { cachedKey_.reset(); }
    // The position within the track (the kept place while paused); 0 when
    // the device cannot tell.
    qlonglong position();
    // The sound's volume, 1.0 the disc's own level; changes made in the
    // desktop's mixer show here too.
    double volume();
    void setVolume(double volume);
    bool canControl() const { return true; }
    bool canPlay() const;
    bool canGoNext() const { return canPlay(); }
    bool canGoPrevious() const { return canPlay(); }

    // The Player properties whose values differ from the previous call,
    // with their new values (all of them at the first call). Nothing is
    // made when nothing changed: it runs at every tick.
    QVariantMap changedProperties();
    // The position after it jumped since the last look: a seek, Previous
    // starting the track again, a repeated track. Playing on, into the next
    // track too, is no jump.
    std::optional<qlonglong> positionJump();

    // "mm:ss:ff" as microseconds; nullopt when the text is not that.
    static std::optional<qlonglong> msfToMicroseconds(const QByteArray& text);

private:
    enum class Status { Stopped, Playing, Paused };
    struct MetadataKey {
        int track = 0;
        int trackCount = 0;
        bool doorOpen = false;
        friend bool operator==(const MetadataKey&, const MetadataKey&) = default;
    };
    // Every published property's value in a form that compares without allocating.
    struct Published {
        Status status = Status::Stopped;
        PlayMode loop = PlayMode::Normal; // the mode LoopStatus names: random play counts as normal
        bool shuffle = false;
        MetadataKey metadata;
        bool canPlay = false;
        int volume = -1;
        friend bool operator==(const Published&, const Published&) = default;
    };
    // Where the disc was at a look: a track and a time within it.
    struct Place {
        int track = 0;
        qlonglong position = 0;
        qint64 atMs = 0;
        bool moving = false;
    };
    MetadataKey metadataKey() const;
    Status status() const;
    bool playing() const;
    std::optional<qlonglong> trackLength(int track);
    std::optional<Place> place();
    int volumePercent();

    PlayerRemote& remote_;
    CdAudioDevice& device_;
    std::optional<MetadataKey> cachedKey_;
    QVariantMap cachedMetadata_;
    std::optional<Published> published_;
    QElapsedTimer clock_;
    std::optional<Place> lastPlace_;
    std::optional<qlonglong> seeked_; // a seek asked for here, to be told
};
