#include "platform/cdaudio/ImageDisc.h"

#include <QFileInfo>

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
    if (image_)
        engine_.setPosition(image_->toc().trackStart(1));
}

QString ImageDisc::lockKey() const
{
    const QFileInfo info(path_);
    return QStringLiteral("image:") + (info.exists() ? info.canonicalFilePath() : info.absoluteFilePath());
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
