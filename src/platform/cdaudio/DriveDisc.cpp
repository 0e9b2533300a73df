#include "platform/cdaudio/DriveDisc.h"

#include <QFile>
#include <cdio/cdio.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {
constexpr qint64 StatusIntervalMs = 500;
// A second session (CD-Extra) starts this many frames after the audio ends.
constexpr int SessionGap = 11400;
} // namespace

DriveDisc::DriveDisc(const QString& device, const Clock& clock)
    : device_(device), engine_([this](int frame, int count, char* out,
                                      QString* error) { return read(frame, count, out, error); },
                               [&clock] { return PcmSink::createDefault(clock); }, &clock)
{
    fd_ = ::open(QFile::encodeName(device).constData(), O_RDONLY | O_NONBLOCK | O_EXCL | O_CLOEXEC);
    if (fd_ < 0) {
        busy_ = errno == EBUSY;
        problem_ =
            QStringLiteral("cannot open %1: %2").arg(device, QString::fromLocal8Bit(std::strerror(errno)));
        presence_ = DiscPresence::Unreadable;
    }
}

DriveDisc::~DriveDisc()
{
    engine_.halt();
    if (cdio_)
        cdio_destroy(cdio_);
    if (fd_ >= 0)
        ::close(fd_);
}

void DriveDisc::refresh() const
{
    if (fd_ < 0 || (lastAsked_.isValid() && lastAsked_.elapsed() < StatusIntervalMs))
        return;
    lastAsked_.start();
    const int status = ::ioctl(fd_, CDROM_DRIVE_STATUS, CDSL_CURRENT);
    if (status != CDS_DISC_OK) {
        if (presence_ != DiscPresence::NoDisc)
            engine_.halt();
        presence_ = DiscPresence::NoDisc;
        return;
    }
    if (presence_ == DiscPresence::NoDisc) {
        bool ok = false;
        {
            std::lock_guard lock(mutex_);
            ok = readToc();
        }
        presence_ = ok ? DiscPresence::Ready : DiscPresence::Unreadable;
        if (ok)
            engine_.setPosition(toc_.trackStarts.front());
    }
}

bool DriveDisc::readToc() const
{
    // libcdio keeps the first table it read: a new disc needs a new handle.
    if (cdio_)
        cdio_destroy(cdio_);
    cdio_ = cdio_open(QFile::encodeName(device_).constData(), DRIVER_DEVICE);
    toc_ = {};
    if (!cdio_) {
        problem_ = QStringLiteral("libcdio cannot open %1").arg(device_);
        return false;
    }
    const track_t first = cdio_get_first_track_num(cdio_);
    const track_t count = cdio_get_num_tracks(cdio_);
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0) {
        problem_ = QStringLiteral("the disc in %1 has no readable table of contents").arg(device_);
        return false;
    }
    toc_.leadOut = cdio_get_track_lsn(cdio_, CDIO_CDROM_LEADOUT_TRACK) + CdFrames::LeadIn;
    for (track_t t = first; t < first + count; ++t) {
        const int start = cdio_get_track_lsn(cdio_, t) + CdFrames::LeadIn;
        if (cdio_get_track_format(cdio_, t) != TRACK_FORMAT_AUDIO) {
            if (!toc_.trackStarts.empty())
                toc_.leadOut = start - SessionGap > toc_.trackStarts.back() ? start - SessionGap : start;
            break;
        }
        toc_.trackStarts.push_back(start);
    }
    if (toc_.trackStarts.empty()) {
        problem_ = QStringLiteral("the disc in %1 holds no audio tracks").arg(device_);
        return false;
    }
    problem_.clear();
    return true;
}

DiscPresence DriveDisc::presence() const
{
    refresh();
    return presence_;
}

DiscToc DriveDisc::toc() const
{
    refresh();
    return presence_ == DiscPresence::Ready ? toc_ : DiscToc{};
}

bool DriveDisc::start(int fromFrame, int endFrame)
{
    return presence() == DiscPresence::Ready && engine_.start(fromFrame, endFrame);
}

bool DriveDisc::read(int frame, int count, char* out, QString* error)
{
    std::lock_guard lock(mutex_);
    std::memset(out, 0, size_t(count) * CdFrames::BytesPerFrame);
    if (!cdio_)
        return false;
    if (cdio_read_audio_sectors(cdio_, out, frame - CdFrames::LeadIn, uint32_t(count)) == DRIVER_OP_SUCCESS)
        return true;
    // One bad sector should not silence the whole chunk.
    bool ok = true;
    for (int i = 0; i < count; ++i) {
        char* target = out + qsizetype(i) * CdFrames::BytesPerFrame;
        if (cdio_read_audio_sectors(cdio_, target, frame + i - CdFrames::LeadIn, 1) != DRIVER_OP_SUCCESS) {
            std::memset(target, 0, CdFrames::BytesPerFrame);
            ok = false;
        }
    }
    if (!ok && error)
        *error = QStringLiteral("cannot read frame %1 of the disc in %2").arg(frame).arg(device_);
    return ok;
}

void DriveDisc::doorMoved(bool open)
{
    engine_.halt();
    if (fd_ < 0)
        return;
    ::ioctl(fd_, open ? CDROMEJECT : CDROMCLOSETRAY, 0);
    presence_ = DiscPresence::NoDisc;
    lastAsked_.invalidate();
}
