#include "analysis/TrackReader.h"

#include "platform/cdaudio/DiscIdentity.h"
#include "platform/cdaudio/DiscImage.h"

#include <QFileInfo>
#include <QtEndian>

TrackReader::Opened TrackReader::open(const QString& imagePath, int track)
{
    QString why;
    std::unique_ptr<DiscImage> image = DiscImage::open(imagePath, &why);
    if (!image)
        return {nullptr, why};
    if (!image->toc().hasTrack(track))
        return {nullptr, QStringLiteral("%1 has no track %2 (it has %3)")
                             .arg(imagePath)
                             .arg(track)
                             .arg(image->toc().trackCount())};
    std::unique_ptr<TrackReader> reader(new TrackReader);
    reader->track_ = track;
    reader->firstFrame_ = image->toc().trackStart(track);
    reader->samples_ = qint64(image->toc().trackLength(track)) * CdFrames::SamplesPerFrame;
    QByteArray identity = DiscIdentity::fromToc(image->toc());
    if (identity.isEmpty())
        identity = QFileInfo(imagePath).absoluteFilePath().toUtf8();
    reader->key_ = identity + '/' + QByteArray::number(track);
    reader->image_ = std::move(image);
    return {std::move(reader), {}};
}

TrackReader::~TrackReader() = default;

int TrackReader::trackCount() const
{
    return image_->toc().trackCount();
}

std::optional<QString> TrackReader::read(qint64 first, qsizetype count, float* out)
{
    Q_ASSERT(first >= 0 && count >= 0);
    // Whole frames from the one holding the first sample.
    const qint64 frame = first / CdFrames::SamplesPerFrame;
    const qint64 skip = first % CdFrames::SamplesPerFrame;
    const int frames = int((skip + count + CdFrames::SamplesPerFrame - 1) / CdFrames::SamplesPerFrame);
    frames_.resize(qsizetype(frames) * CdFrames::BytesPerFrame);
    QString why;
    if (!image_->read(firstFrame_ + int(frame), frames, frames_.data(), &why))
        return why;
    const uchar* bytes = reinterpret_cast<const uchar*>(frames_.constData()) + skip * 4;
    for (qsizetype i = 0; i < count; ++i) {
        const bool inside = first + i < samples_;
        const int left = qFromLittleEndian<qint16>(bytes + i * 4);
        const int right = qFromLittleEndian<qint16>(bytes + i * 4 + 2);
        out[i] = inside ? float(left + right) / 65536.0f : 0.0f;
    }
    return std::nullopt;
}
