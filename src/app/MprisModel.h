#pragma once

#include <QString>
#include <QVariantMap>
#include <optional>

class CdAudioDevice;
class PlayerRemote;

// The player as the MPRIS2 media player interface sees it: the methods
// mapped onto the player's handlers, and the property values worked out
// from the player's state. A CD drive cannot pause, so Pause stops and
// PlaybackStatus is only ever "Playing" or "Stopped".
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

    QString playbackStatus() const;
    // "None", "Track" or "Playlist" for the play modes normal, one-track
    // repeat and repeat all; random play is Shuffle (with "None").
    QString loopStatus() const;
    void setLoopStatus(const QString& status);
    bool shuffle() const;
    void setShuffle(bool on);
    // mpris:trackid, xesam:trackNumber, xesam:title, mpris:length and the
    // disc identity; empty while the door is open. The device is asked
    // once per track.
    QVariantMap metadata();
    // Another disc went in without the door moving (a later start handed
    // one over): the next metadata asks the device again.
    void discChanged() { cachedKey_.reset(); }
    // The position within the track; 0 when the device cannot tell.
    qlonglong position();
    bool canControl() const { return true; }
    bool canPlay() const;
    bool canGoNext() const { return canPlay(); }
    bool canGoPrevious() const { return canPlay(); }

    // The Player properties whose values differ from the previous call,
    // with their new values (all of them at the first call).
    QVariantMap changedProperties();

    // "mm:ss:ff" as microseconds; nullopt when the text is not that.
    static std::optional<qlonglong> msfToMicroseconds(const QByteArray& text);

private:
    struct MetadataKey {
        int track = 0;
        int trackCount = 0;
        bool doorOpen = false;
        friend bool operator==(const MetadataKey&, const MetadataKey&) = default;
    };
    MetadataKey metadataKey() const;
    bool playing() const;

    PlayerRemote& remote_;
    CdAudioDevice& device_;
    std::optional<MetadataKey> cachedKey_;
    QVariantMap cachedMetadata_;
    QVariantMap published_;
};
