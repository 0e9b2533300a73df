#pragma once

#include <QString>
#include <QtGlobal>

// One file of a disc image seen as 44.1 kHz stereo 16-bit PCM. Samples are
// stereo sample pairs (4 bytes, little-endian), counted from the file's start.
class ImageFile {
public:
    virtual ~ImageFile() = default;
    virtual qint64 samples() const = 0;
    // Reads count samples from a sample into out; past the file's end it gives
    // silence. False on a read error, with the reason.
    virtual bool read(qint64 sample, qint64 count, char* out, QString* error) = 0;
};
