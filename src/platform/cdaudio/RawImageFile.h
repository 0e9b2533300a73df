#pragma once

#include "platform/cdaudio/ImageFile.h"

#include <QFile>
#include <memory>

// A BIN file of raw CD audio: 2352-byte frames of little-endian 16-bit stereo
// samples, or big-endian ones for a cue sheet's MOTOROLA files.
class RawImageFile final : public ImageFile {
public:
    static std::unique_ptr<RawImageFile> open(const QString& path, bool bigEndian, QString* error);

    qint64 samples() const override { return samples_; }
    bool read(qint64 sample, qint64 count, char* out, QString* error) override;

private:
    RawImageFile(const QString& path, bool bigEndian) : file_(path), bigEndian_(bigEndian) {}

    QFile file_;
    bool bigEndian_;
    qint64 samples_ = 0;
};
