#pragma once

#include "platform/cdaudio/DiscImage.h"
#include "platform/cdaudio/DiscSource.h"
#include "platform/cdaudio/PlaybackEngine.h"

#include <memory>

class Clock;

// A disc image played through the sound output. An image that cannot be read
// is a drive holding an unreadable disc: not ready, no identity, no play.
// Closing the door reads the image again, so a mended file is picked up.
class ImageDisc final : public DiscSource {
public:
    // clock drives the silent output when there is no sound device; makeSink
    // (optional) replaces the default output, e.g. with a manual one in tests.
    ImageDisc(const QString& path, const Clock& clock, PlaybackEngine::SinkMaker makeSink = {});

    QString lockKey() const override;
    // The lock key of the image at path, whatever path names it.
    static QString lockKeyFor(const QString& path);
    DiscPresence presence() const override { return image_ ? DiscPresence::Ready : DiscPresence::Unreadable; }
    QString problem() const override { return problem_; }
    const DiscToc& toc() const override;
    // The disc ID of the image's identity table (see DiscImage::identityToc).
    QByteArray fixedIdentity() const override;
    DiscNames names() const override { return image_ ? image_->names() : DiscNames{}; }
    bool start(int fromFrame, int endFrame) override;
    void halt() override { engine_.halt(); }
    bool isPlaying() override { return engine_.isPlaying(); }
    int position() override { return engine_.position(); }
    void setTempo(int percent) override { engine_.setTempo(percent); }
    void setVolume(int percent) override { engine_.setVolume(percent); }
    std::optional<int> volume() override { return engine_.volume(); }
    void doorMoved(bool open) override;

    PlaybackEngine& engine() { return engine_; }
    const QString& path() const { return path_; }

private:
    void load();

    QString path_;
    std::unique_ptr<DiscImage> image_;
    QString problem_;
    PlaybackEngine engine_;
};
