#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

class DiscImage;

// One track of a disc image, a cue sheet or an audio file, read straight from
// its files as mono samples (the two channels' mean, -1..1, 44.1 kHz), apart
// from the playing stream so the analysis never disturbs what is heard.
class TrackReader {
public:
    struct Opened;
    // Track 1 is the first; null with the reason when the image cannot be
    // opened or has no such track.
    static Opened open(const QString& imagePath, int track);
    ~TrackReader();

    int track() const { return track_; }
    int trackCount() const;
    qint64 samples() const { return samples_; }
    // The disc's identity (see DiscIdentity) and the track: what an analysis
    // is remembered under.
    QByteArray key() const { return key_; }
    // Reads count samples from a sample of the track into out (silence past
    // its end); the reason on failure.
    std::optional<QString> read(qint64 first, qsizetype count, float* out);

private:
    TrackReader() = default;

    std::unique_ptr<DiscImage> image_;
    int track_ = 0;
    int firstFrame_ = 0;
    qint64 samples_ = 0;
    QByteArray key_;
    QByteArray frames_;
};

struct TrackReader::Opened {
    std::unique_ptr<TrackReader> reader;
    QString error;
};
