#pragma once

#include "platform/cdaudio/CdDrive.h"
#include "platform/cdaudio/DiscSource.h"
#include "platform/cdaudio/PlaybackEngine.h"

#include <memory>
#include <mutex>

class Clock;

// A CD drive read digitally with libcdio and played through the sound output.
// The drive is asked whether a disc is in at most twice a second (by the
// clock), and a disc that has come in has its table of contents read anew.
// Only the audio tracks before the first data track count. Audio is read
// through libcdio-paranoia, which reads again and compares overlapping reads
// to mend the errors of scratched discs (giving up on a sector after its
// retries rather than stalling); the playback engine's two seconds of
// read-ahead absorb its retries. Where paranoia cannot be set up, sectors are
// read plainly. CD-Text gives the disc's and the tracks' titles and performers.
class DriveDisc final : public DiscSource {
public:
    // makeSink (optional) replaces the default output, e.g. with a manual one in tests.
    DriveDisc(std::unique_ptr<CdDrive> drive, const Clock& clock, PlaybackEngine::SinkMaker makeSink = {});
    ~DriveDisc() override;

    QString lockKey() const override { return QStringLiteral("drive:") + drive_->name(); }
    bool heldElsewhere() const override { return busy_; }
    DiscPresence presence() const override;
    QString problem() const override { return problem_; }
    const DiscToc& toc() const override;
    // The disc's CD-Text, as libcdio reads it (in UTF-8).
    DiscNames names() const override;
    bool start(int fromFrame, int endFrame) override;
    void halt() override { engine_.halt(); }
    bool isPlaying() override { return engine_.isPlaying(); }
    int position() override { return engine_.position(); }
    void setTempo(int percent) override { engine_.setTempo(percent); }
    void setVolume(int percent) override { engine_.setVolume(percent); }
    std::optional<int> volume() override { return engine_.volume(); }
    void doorMoved(bool open) override;

    // Reads count frames from an absolute frame (2352 bytes each); a frame
    // that cannot be read is silence. Used by the playback engine's reader.
    // correcting() tells whether the reads go through paranoia.
    bool read(int frame, int count, char* out, QString* error);
    bool correcting() const;

private:
    void refresh() const;
    bool readToc() const;
    void readNames(int firstTrack) const;
    void closeDisc() const;
    bool readCorrected(int frame, int count, char* out);

    static constexpr qint64 StatusIntervalMs = 500;

    std::unique_ptr<CdDrive> drive_;
    const Clock& clock_;
    bool busy_ = false;
    bool usable_ = false;
    mutable std::mutex mutex_; // the libcdio handle is shared with the reader thread
    mutable struct _CdIo* cdio_ = nullptr;
    mutable struct cdrom_drive_s* cdda_ = nullptr;
    mutable struct cdrom_paranoia_s* paranoia_ = nullptr;
    mutable int nextFrame_ = -1; // where paranoia stands, -1: seek first
    mutable DiscPresence presence_ = DiscPresence::NoDisc;
    mutable DiscToc toc_;
    mutable DiscNames names_;
    mutable QString problem_;
    mutable qint64 lastAsked_ = -1; // clock time of the last status question, -1: ask now
    mutable PlaybackEngine engine_;
};
