#pragma once

#include "platform/cdaudio/DiscSource.h"
#include "platform/cdaudio/PlaybackEngine.h"

#include <QElapsedTimer>
#include <mutex>

class Clock;
struct _CdIo;

// A physical drive on Linux, read digitally with libcdio and played through
// the sound output. The block device is held open with O_EXCL, so a second
// player (or a program that mounted the disc) makes "open cdaudio" fail.
// Only the audio tracks before the first data track count.
class DriveDisc final : public DiscSource {
public:
    DriveDisc(const QString& device, const Clock& clock);
    ~DriveDisc() override;

    QString lockKey() const override { return QStringLiteral("drive:") + device_; }
    bool heldElsewhere() const override { return busy_; }
    DiscPresence presence() const override;
    QString problem() const override { return problem_; }
    DiscToc toc() const override;
    bool start(int fromFrame, int endFrame) override;
    void halt() override { engine_.halt(); }
    bool isPlaying() override { return engine_.isPlaying(); }
    int position() override { return engine_.position(); }
    void doorMoved(bool open) override;

private:
    // Asks the drive whether a disc is in (at most twice a second) and reads
    // the table of contents again when one has come in.
    void refresh() const;
    bool readToc() const;
    bool read(int frame, int count, char* out, QString* error);

    QString device_;
    int fd_ = -1;
    bool busy_ = false;
    mutable std::mutex mutex_; // the libcdio handle is shared with the reader thread
    mutable _CdIo* cdio_ = nullptr;
    mutable DiscPresence presence_ = DiscPresence::NoDisc;
    mutable DiscToc toc_;
    mutable QString problem_;
    mutable QElapsedTimer lastAsked_;
    mutable PlaybackEngine engine_;
};
