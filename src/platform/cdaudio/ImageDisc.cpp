#include "platform/cdaudio/ImageDisc.h"

#include "core/Logging.h"
#include "platform/cdaudio/DiscIdentity.h"

#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

ImageDisc::ImageDisc(const QString& path, const Clock& clock, PlaybackEngine::SinkMaker makeSink)
    : path_(path),
      engine_([this](int frame, int count, char* out,
                     QString* error) { return image_ ? image_->read(frame, count, out, error) : false; },
              makeSink ? std::move(makeSink) : [&clock] { return PcmSink::createDefault(clock); }, &clock)
{
    load();
}

void ImageDisc::load()
{
    problem_.clear();
    image_ = DiscImage::open(path_, &problem_);
    if (!image_)
        return;
    for (const QString& note : image_->notes())
        qCWarning(lcDisc, "%s", qPrintable(note));
    engine_.setPosition(image_->toc().trackStart(1));
}

const DiscToc& ImageDisc::toc() const
{
    static const DiscToc none;
    return image_ ? image_->toc() : none;
}

QByteArray ImageDisc::fixedIdentity() const
{
    return image_ ? DiscIdentity::fromToc(image_->identityToc()) : QByteArray();
}

QString ImageDisc::lockKey() const
{
    return lockKeyFor(path_);
}

// Keyed on the file itself (device and inode), so a link of any kind or
// another spelling of the path finds the same lock.
QString ImageDisc::lockKeyFor(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) == 0)
        return QStringLiteral("image:%1:%2").arg(quint64(st.st_dev)).arg(quint64(st.st_ino));
    return QStringLiteral("image:") + QFileInfo(path).absoluteFilePath();
}

bool ImageDisc::start(int fromFrame, int endFrame)
{
    return image_ && engine_.start(fromFrame, endFrame);
}

void ImageDisc::doorMoved(bool open)
{
    engine_.halt();
    if (!open)
        load();
}
