#pragma once

#include "platform/cdaudio/ImageFile.h"

#include <memory>
#include <vector>

struct sf_private_tag;

// An audio file read through libsndfile (WAV, FLAC, Ogg and the rest it
// knows), converted to CD audio: mono is played on both channels, further
// channels beyond the first two are left out, and other sample rates are
// resampled to 44.1 kHz by linear interpolation. Reads are sample-exact and
// do not depend on how the file is read in pieces.
class SoundFile final : public ImageFile {
public:
    static std::unique_ptr<SoundFile> open(const QString& path, QString* error);
    ~SoundFile() override;

    qint64 samples() const override { return samples_; }
    bool read(qint64 sample, qint64 count, char* out, QString* error) override;

    int sourceRate() const { return rate_; }
    int sourceChannels() const { return channels_; }

private:
    SoundFile() = default;
    // Source frames [first, first + count) as stereo pairs; zeros past the end.
    bool readSource(qint64 first, qint64 count, std::vector<qint16>& stereo, QString* error);

    sf_private_tag* file_ = nullptr;
    QString path_;
    int rate_ = 0;
    int channels_ = 0;
    qint64 sourceFrames_ = 0;
    qint64 samples_ = 0;
    qint64 next_ = 0; // the source frame the file is positioned at, -1 when unknown
    std::vector<qint16> scratch_;
};
