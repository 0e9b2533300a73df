#pragma once

#include "platform/cdaudio/DiscToc.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QtEndian>
#include <cstring>
#include <sndfile.h>
#include <vector>

// Tiny audio files for the image tests. Every sample of file k carries a value
// that says where it came from: left = pattern(k, i), right = -left.
namespace AudioFixtures {
inline qint16 pattern(int file, qint64 sample)
{
    return qint16((file * 7919 + sample) % 30000 + 1);
}

inline QByteArray pcm(int file, qint64 samples)
{
    QByteArray bytes(samples * 4, Qt::Uninitialized);
    for (qint64 i = 0; i < samples; ++i) {
        qToLittleEndian(pattern(file, i), bytes.data() + 4 * i);
        qToLittleEndian(qint16(-pattern(file, i)), bytes.data() + 4 * i + 2);
    }
    return bytes;
}

// Writes a 16-bit file through libsndfile: format is SF_FORMAT_WAV or SF_FORMAT_FLAC.
inline bool writeSound(const QString& path, int format, int file, qint64 samples, int rate = 44100,
                       int channels = 2)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!f)
        return false;
    std::vector<short> data(size_t(samples * channels));
    for (qint64 i = 0; i < samples; ++i)
        for (int c = 0; c < channels; ++c)
            data[size_t(i * channels + c)] = c == 0 ? pattern(file, i) : qint16(-pattern(file, i));
    const bool ok = sf_writef_short(f, data.data(), samples) == samples;
    sf_close(f);
    return ok;
}

inline bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline qint64 frames(int count)
{
    return qint64(count) * CdFrames::SamplesPerFrame;
}
} // namespace AudioFixtures
