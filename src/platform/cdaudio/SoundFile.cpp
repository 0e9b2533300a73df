#include "platform/cdaudio/SoundFile.h"

#include "platform/cdaudio/PcmSink.h"
#include "platform/cdaudio/PlainFile.h"

#include <QFile>
#include <QtEndian>
#include <sndfile.h>

namespace {
// An MP3 states its exact length only in a Xing, Info or VBRI header in its
// first frame; without one the decoder's length is a guess from the first
// frame's bit rate, far off for variable bit rates.
bool mpegStatesLength(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray head = file.read(10);
    qint64 start = 0;
    if (head.size() == 10 && head.startsWith("ID3")) {
        // ID3v2: a 10-byte header with a size in four 7-bit bytes, then the tag.
        const auto b = [&](int i) { return qint64(quint8(head[i]) & 0x7F); };
        start = 10 + (b(6) << 21 | b(7) << 14 | b(8) << 7 | b(9)) + ((quint8(head[5]) & 0x10) ? 10 : 0);
    }
    file.seek(start);
    const QByteArray frames = file.read(4096);
    for (qsizetype i = 0; i + 1 < frames.size(); ++i) {
        if (quint8(frames[i]) == 0xFF && (quint8(frames[i + 1]) & 0xE0) == 0xE0) {
            const QByteArray first = frames.mid(i, 64);
            return first.contains("Xing") || first.contains("Info") || first.contains("VBRI");
        }
    }
    return false;
}

// Why the decoder library would not open a file. A file that cannot be
// opened says so itself (missing, no permission). For its decoders' failures
// the library's own text reads "File does not exist" or "unknown error in
// flac decoder"; what is wrong then is the content, told by how it starts.
QString openFailureReason(const QString& path)
{
    const int code = sf_error(nullptr);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    if (code == SF_ERR_SYSTEM)
        return QString::fromLocal8Bit(sf_strerror(nullptr));
    const QByteArray head = file.read(4);
    const char* kind = nullptr;
    if (head.startsWith("fLaC"))
        kind = "FLAC";
    else if (head.startsWith("OggS"))
        kind = "Ogg";
    else if (head.startsWith("RIFF"))
        kind = "WAV";
    else if (head.startsWith("FORM"))
        kind = "AIFF";
    else if (head.startsWith("ID3") ||
             (head.size() >= 2 && quint8(head[0]) == 0xFF && (quint8(head[1]) & 0xE0) == 0xE0))
        kind = "MP3";
    if (!kind)
        return QStringLiteral("it is not a sound file (its start matches no sound format)");
    if (code == SF_ERR_UNSUPPORTED_ENCODING)
        return QStringLiteral("it is a %1 file in an encoding that cannot be played")
            .arg(QLatin1String(kind));
    return QStringLiteral("it is a %1 file, but damaged: its header cannot be decoded")
        .arg(QLatin1String(kind));
}

// Decodes the whole file once and counts its frames; the file is left at its start.
qint64 countFrames(SNDFILE* handle, int channels)
{
    std::vector<short> buffer(size_t(16384) * size_t(channels));
    qint64 total = 0;
    for (sf_count_t got; (got = sf_readf_short(handle, buffer.data(), 16384)) > 0;)
        total += got;
    sf_seek(handle, 0, SEEK_SET);
    return total;
}
// True when the first frames decode; the file is left at its start.
bool decodesFromStart(SNDFILE* handle, int channels, qint64 frames)
{
    const sf_count_t want = std::min<qint64>(frames, 1024);
    std::vector<short> buffer(size_t(want) * size_t(channels));
    const sf_count_t got = sf_readf_short(handle, buffer.data(), want);
    sf_seek(handle, 0, SEEK_SET);
    return got > 0;
}
} // namespace

std::unique_ptr<SoundFile> SoundFile::open(const QString& path, QString* error)
{
    if (!PlainFile::check(path, error))
        return nullptr;
    SF_INFO info{};
    SNDFILE* handle = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!handle) {
        if (error)
            *error = QStringLiteral("cannot read %1 as audio: %2").arg(path, openFailureReason(path));
        return nullptr;
    }
    if (info.channels < 1 || info.samplerate < 1000 || info.samplerate > 768000 || info.frames < 0) {
        sf_close(handle);
        if (error)
            *error = QStringLiteral("%1 has an unplayable format").arg(path);
        return nullptr;
    }
    std::unique_ptr<SoundFile> file(new SoundFile);
    file->file_ = handle;
    file->path_ = path;
    file->rate_ = info.samplerate;
    file->channels_ = info.channels;
    file->sourceFrames_ = info.frames;
    // A FLAC may leave its length unknown (the library then answers the
    // largest count it has); an MP3 may only let the library guess it.
    const bool lengthUnknown =
        info.frames == SF_COUNT_MAX || info.frames > qint64(info.samplerate) * 60 * 60 * 24 * 7;
    if (lengthUnknown || ((info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_MPEG && !mpegStatesLength(path)))
        file->sourceFrames_ = countFrames(handle, info.channels);
    // A file whose audio cannot be decoded from its start (a FLAC cut short
    // after its header) is no disc, not a silent one.
    if (file->sourceFrames_ > 0 && !decodesFromStart(handle, info.channels, file->sourceFrames_)) {
        if (error)
            *error = QStringLiteral("the audio of %1 cannot be decoded").arg(path);
        return nullptr;
    }
    file->samples_ = file->sourceFrames_ * CdAudioFormat::SampleRate / info.samplerate;
    return file;
}

SoundFile::~SoundFile()
{
    if (file_)
        sf_close(file_);
}

bool SoundFile::readSource(qint64 first, qint64 count, std::vector<qint16>& stereo, QString* error)
{
    stereo.assign(size_t(count * 2), 0);
    const qint64 have = std::clamp<qint64>(sourceFrames_ - first, 0, count);
    if (have == 0)
        return true;
    // Playback reads on where the last read ended; seeking a compressed file
    // costs a decode from its last seek point, so only seek when needed.
    if (first != next_ && sf_seek(file_, first, SEEK_SET) != first) {
        next_ = -1;
        if (error)
            *error = QStringLiteral("cannot seek in %1").arg(path_);
        return false;
    }
    scratch_.resize(size_t(have * channels_));
    const sf_count_t got = sf_readf_short(file_, scratch_.data(), have);
    next_ = got == have ? first + got : -1;
    for (sf_count_t i = 0; i < got; ++i) {
        const qint16* in = scratch_.data() + i * channels_;
        stereo[size_t(2 * i)] = in[0];
        stereo[size_t(2 * i + 1)] = channels_ > 1 ? in[1] : in[0];
    }
    // A decoder that ends early without an error has simply run out of audio:
    // the rest is silence, as past the end of any file.
    if (got != have && sf_error(file_) != SF_ERR_NO_ERROR) {
        if (error)
            *error =
                QStringLiteral("cannot read %1: %2").arg(path_, QString::fromLocal8Bit(sf_strerror(file_)));
        return false;
    }
    return true;
}

bool SoundFile::read(qint64 sample, qint64 count, char* out, QString* error)
{
    auto* pcm = reinterpret_cast<qint16*>(out);
    std::vector<qint16> source;
    bool ok = true;
    if (rate_ == CdAudioFormat::SampleRate) {
        ok = readSource(sample, count, source, error);
        for (qint64 i = 0; i < count * 2; ++i)
            pcm[i] = qToLittleEndian(source[size_t(i)]);
        return ok;
    }
    // Output sample n sits at source position n * rate / 44100; interpolate
    // between the two source frames around it.
    const qint64 first = sample * rate_ / CdAudioFormat::SampleRate;
    const qint64 last = (sample + count - 1) * rate_ / CdAudioFormat::SampleRate + 1;
    ok = readSource(first, last - first + 1, source, error);
    for (qint64 i = 0; i < count; ++i) {
        const qint64 n = sample + i;
        if (n >= samples_) {
            pcm[2 * i] = pcm[2 * i + 1] = 0;
            continue;
        }
        const qint64 position = n * rate_;
        const qint64 index = position / CdAudioFormat::SampleRate - first;
        const double fraction = double(position % CdAudioFormat::SampleRate) / CdAudioFormat::SampleRate;
        for (int c = 0; c < 2; ++c) {
            const double a = source[size_t(2 * index + c)];
            const double b = source[size_t(2 * (index + 1) + c)];
            pcm[2 * i + c] = qToLittleEndian(qint16(std::lround(a + (b - a) * fraction)));
        }
    }
    return ok;
}
