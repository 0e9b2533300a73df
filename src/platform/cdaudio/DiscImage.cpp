#include "platform/cdaudio/DiscImage.h"

#include "platform/cdaudio/CueSheet.h"
#include "platform/cdaudio/PlainFile.h"
#include "platform/cdaudio/RawImageFile.h"
#include "platform/cdaudio/SoundFile.h"
#include "platform/cdaudio/TocSheet.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstring>
#include <utility>

namespace {
// The longest disc image taken: well past any real disc, short of int overflow.
constexpr qint64 MaxFrames = qint64(24) * 60 * CdFrames::PerMinute;
constexpr qint64 MaxCueBytes = 1 << 20;

qint64 framesOf(const ImageFile& file)
{
    return (file.samples() + CdFrames::SamplesPerFrame - 1) / CdFrames::SamplesPerFrame;
}
} // namespace

std::unique_ptr<DiscImage> DiscImage::open(const QString& path, QString* error)
{
    std::unique_ptr<DiscImage> image(new DiscImage);
    const QFileInfo info(path);
    bool ok = false;
    if (!info.exists()) {
        if (error)
            *error = QStringLiteral("%1 does not exist").arg(path);
    }
    else if (info.isDir()) {
        ok = image->fromFolder(path, error);
    }
    else if (info.suffix().compare(QLatin1String("cue"), Qt::CaseInsensitive) == 0) {
        ok = image->fromSheet(path, false, error);
    }
    else if (info.suffix().compare(QLatin1String("toc"), Qt::CaseInsensitive) == 0) {
        ok = image->fromSheet(path, true, error);
    }
    else {
        ok = image->fromAudioFile(path, error);
    }
    return ok && image->finish(error) ? std::move(image) : nullptr;
}

int DiscImage::endFrame() const
{
    return int((end_ + CdFrames::SamplesPerFrame - 1) / CdFrames::SamplesPerFrame);
}

void DiscImage::append(ImageFile* file, qint64 from, qint64 to)
{
    // Frames are laid down on whole frames: a folder's file before them ends padded.
    end_ = qint64(endFrame()) * CdFrames::SamplesPerFrame;
    if (to <= from)
        return;
    to = std::min(to, from + MaxFrames);
    const qint64 samples = std::min(to - from, MaxFrames - endFrame()) * CdFrames::SamplesPerFrame;
    if (samples <= 0)
        return;
    segments_.push_back({end_, samples, file, from * CdFrames::SamplesPerFrame});
    end_ += samples;
}

void DiscImage::appendSamples(ImageFile* file, qint64 samples)
{
    samples = std::min(samples, MaxFrames * CdFrames::SamplesPerFrame - end_);
    if (samples <= 0)
        return;
    segments_.push_back({end_, samples, file, 0});
    end_ += samples;
}

bool DiscImage::fromSheet(const QString& path, bool toc, QString* error)
{
    if (!PlainFile::check(path, error))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("cannot open %1: %2").arg(path, file.errorString());
        return false;
    }
    if (file.size() > MaxCueBytes) {
        if (error)
            *error = QStringLiteral("%1 is too large for a cue sheet").arg(path);
        return false;
    }
    QString why;
    std::optional<CueSheet> sheet;
    if (toc) {
        TocSheet::Reading reading = TocSheet::parse(file.readAll(), QFileInfo(path).absolutePath());
        sheet = std::move(reading.sheet);
        why = reading.error;
    }
    else {
        sheet = CueSheet::parse(file.readAll(), QFileInfo(path).absolutePath(), &why);
    }
    if (!sheet) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, why);
        return false;
    }
    for (const QString& note : std::as_const(sheet->notes))
        notes_ << QStringLiteral("%1: %2").arg(path, note);
    names_ = sheet->names;
    return layOut(*sheet, error);
}

bool DiscImage::layOut(const CueSheet& sheet, QString* error)
{
    for (const CueSheet::File& f : sheet.files) {
        std::unique_ptr<ImageFile> opened;
        if (f.raw)
            opened = RawImageFile::open(f.path, f.bigEndian, error);
        else
            opened = SoundFile::open(f.path, error);
        if (!opened)
            return false;
        files_.push_back(std::move(opened));
    }
    // Each file is laid down up to the next track's gap (its INDEX 00, else
    // its INDEX 01), then the track before ends with its POSTGAP silence, the
    // gap follows and the track begins; a file's rest is laid down when the
    // next file begins.
    int currentFile = -1;
    qint64 laid = 0;
    qint64 postgap = 0; // of the track before
    for (const CueSheet::Track& track : sheet.tracks) {
        ImageFile* f = files_[size_t(track.file)].get();
        if (track.file != currentFile) {
            if (currentFile >= 0)
                append(files_[size_t(currentFile)].get(), laid, framesOf(*files_[size_t(currentFile)]));
            append(nullptr, 0, postgap);
            currentFile = track.file;
            laid = 0;
        }
        else {
            const qint64 gap = std::min(track.index00 >= 0 ? track.index00 : track.index01, framesOf(*f));
            append(f, laid, gap);
            laid = std::max(laid, gap);
            append(nullptr, 0, postgap);
        }
        const qint64 at = std::min(track.index01, framesOf(*f));
        append(f, laid, at);
        laid = std::max(laid, at);
        append(nullptr, 0, track.silentPregap);
        toc_.trackStarts.push_back(endFrame());
        postgap = track.silentPostgap;
    }
    // A data track after the audio in the same file ends the audio there.
    const qint64 fileEnd = framesOf(*files_[size_t(currentFile)]);
    append(files_[size_t(currentFile)].get(), laid,
           sheet.audioEnd >= 0 ? std::min(sheet.audioEnd, fileEnd) : fileEnd);
    append(nullptr, 0, postgap);
    identityToc_ = toc_;
    identityEnd_ = endFrame();
    return true;
}

bool DiscImage::fromFolder(const QString& path, QString* error)
{
    static const QStringList patterns{QStringLiteral("*.wav"),  QStringLiteral("*.flac"),
                                      QStringLiteral("*.ogg"),  QStringLiteral("*.oga"),
                                      QStringLiteral("*.opus"), QStringLiteral("*.aif"),
                                      QStringLiteral("*.aiff"), QStringLiteral("*.mp3")};
    QStringList names =
        QDir(path).entryList(patterns, QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase);
    // Track numbers written without leading zeros sort by their value: 2 before 10.
    QCollator collator(QLocale(QLocale::Japanese, QLocale::Japan));
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(names.begin(), names.end(),
                     [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
    if (names.isEmpty()) {
        if (error)
            *error = QStringLiteral("%1 holds no audio files").arg(path);
        return false;
    }
    if (names.size() > 99) {
        if (error)
            *error = QStringLiteral("%1 holds more than 99 audio files").arg(path);
        return false;
    }
    for (const QString& name : names)
        if (!fromAudioFile(QDir(path).filePath(name), error))
            return false;
    return true;
}

bool DiscImage::fromAudioFile(const QString& path, QString* error)
{
    auto file = SoundFile::open(path, error);
    if (!file)
        return false;
    if (file->samples() == 0) {
        if (error)
            *error = QStringLiteral("%1 holds no audio").arg(path);
        return false;
    }
    // The track starts at the frame holding its first sample; a file before
    // it shorter than a frame would give two tracks one start, so that one
    // is padded to its frame's end.
    int start = int(end_ / CdFrames::SamplesPerFrame);
    if (!toc_.trackStarts.empty() && start <= toc_.trackStarts.back()) {
        end_ = qint64(endFrame()) * CdFrames::SamplesPerFrame;
        start = endFrame();
    }
    toc_.trackStarts.push_back(start);
    identityToc_.trackStarts.push_back(identityEnd_);
    identityEnd_ = int(std::min<qint64>(identityEnd_ + framesOf(*file), MaxFrames));
    appendSamples(file.get(), file->samples());
    files_.push_back(std::move(file));
    return true;
}

bool DiscImage::finish(QString* error)
{
    toc_.leadOut = endFrame();
    identityToc_.leadOut = identityEnd_;
    for (int t = 1; t <= toc_.trackCount(); ++t) {
        if (toc_.trackLength(t) <= 0) {
            if (error)
                *error = QStringLiteral("track %1 holds no audio").arg(t);
            return false;
        }
    }
    return toc_.trackCount() > 0;
}

bool DiscImage::read(int frame, int count, char* out, QString* error)
{
    std::memset(out, 0, size_t(count) * CdFrames::BytesPerFrame);
    bool ok = true;
    const qint64 first = qint64(frame) * CdFrames::SamplesPerFrame;
    const qint64 last = qint64(frame + count) * CdFrames::SamplesPerFrame;
    for (const Segment& s : segments_) {
        const qint64 from = std::max(first, s.discSample);
        const qint64 to = std::min(last, s.discSample + s.samples);
        if (from >= to || !s.file)
            continue;
        char* target = out + (from - first) * 4;
        if (!s.file->read(s.fileSample + (from - s.discSample), to - from, target, error))
            ok = false;
    }
    return ok;
}
