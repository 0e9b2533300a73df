#include "platform/cdaudio/DriveDisc.h"

#include "platform/Clock.h"

#include <QtEndian>
#include <cdio/cdio.h>
#include <cdio/logging.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>
#include <cstring>
#include <mutex>

namespace {
// A second session (CD-Extra) starts this many frames after the audio ends.
constexpr int SessionGap = 11400;

// libcdio's own log handler ends the process on an error (a disc or image it
// cannot read); its messages are dropped here and the reason is told as the
// disc's problem instead.
void quietLog(cdio_log_level_t, const char*)
{
}
} // namespace

DriveDisc::DriveDisc(std::unique_ptr<CdDrive> drive, const Clock& clock, PlaybackEngine::SinkMaker makeSink)
    : drive_(std::move(drive)), clock_(clock),
      engine_(
          [this](int frame, int count, char* out, QString* error) { return read(frame, count, out, error); },
          makeSink ? std::move(makeSink) : [&clock] { return PcmSink::createDefault(clock); }, &clock)
{
    static std::once_flag logging;
    std::call_once(logging, [] { cdio_log_set_handler(quietLog); });
    usable_ = drive_->claimed(&problem_, &busy_);
    if (!usable_)
        presence_ = DiscPresence::Unreadable;
}

DriveDisc::~DriveDisc()
{
    engine_.halt();
    closeDisc();
}

void DriveDisc::closeDisc() const
{
    if (paranoia_)
        cdio_paranoia_free(paranoia_);
    if (cdda_)
        cdio_cddap_close_no_free_cdio(cdda_);
    if (cdio_)
        cdio_destroy(cdio_);
    paranoia_ = nullptr;
    cdda_ = nullptr;
    cdio_ = nullptr;
    nextFrame_ = -1;
}

void DriveDisc::refresh() const
{
    const qint64 now = clock_.nowMs();
    if (!usable_ || (lastAsked_ >= 0 && now - lastAsked_ < StatusIntervalMs))
        return;
    lastAsked_ = now;
    if (drive_->status() != CdDrive::Status::DiscIn) {
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
    closeDisc();
    cdio_ = drive_->openDisc();
    toc_ = {};
    if (!cdio_) {
        problem_ = QStringLiteral("libcdio cannot open %1").arg(drive_->name());
        return false;
    }
    const track_t first = cdio_get_first_track_num(cdio_);
    const track_t count = cdio_get_num_tracks(cdio_);
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0) {
        problem_ = QStringLiteral("the disc in %1 has no readable table of contents").arg(drive_->name());
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
        problem_ = QStringLiteral("the disc in %1 holds no audio tracks").arg(drive_->name());
        return false;
    }
    readNames(first);
    problem_.clear();
    cdda_ = cdio_cddap_identify_cdio(cdio_, CDDA_MESSAGE_FORGETIT, nullptr);
    if (cdda_ && cdio_cddap_open(cdda_) == 0)
        paranoia_ = cdio_paranoia_init(cdda_);
    if (paranoia_)
        cdio_paranoia_modeset(paranoia_, PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
    return true;
}

void DriveDisc::readNames(int firstTrack) const
{
    names_ = {};
    // Owned by the handle; null on a disc without CD-Text.
    const cdtext_t* text = cdio_get_cdtext(cdio_);
    if (!text)
        return;
    const auto field = [text](cdtext_field_t which, track_t track) {
        const char* value = cdtext_get_const(text, which, track);
        return value ? QString::fromUtf8(value).trimmed() : QString();
    };
    names_.disc = {field(CDTEXT_FIELD_TITLE, 0), field(CDTEXT_FIELD_PERFORMER, 0)};
    for (size_t i = 0; i < toc_.trackStarts.size(); ++i) {
        const auto track = track_t(firstTrack + int(i));
        names_.tracks.push_back({field(CDTEXT_FIELD_TITLE, track), field(CDTEXT_FIELD_PERFORMER, track)});
    }
}

DiscNames DriveDisc::names() const
{
    refresh();
    return presence_ == DiscPresence::Ready ? names_ : DiscNames{};
}

bool DriveDisc::correcting() const
{
    std::lock_guard lock(mutex_);
    return paranoia_ != nullptr;
}

bool DriveDisc::readCorrected(int frame, int count, char* out)
{
    if (frame != nextFrame_)
        cdio_paranoia_seek(paranoia_, frame - CdFrames::LeadIn, SEEK_SET);
    nextFrame_ = frame + count;
    bool ok = true;
    for (int i = 0; i < count; ++i) {
        const int16_t* sector = cdio_paranoia_read(paranoia_, nullptr);
        char* target = out + qsizetype(i) * CdFrames::BytesPerFrame;
        if (!sector) {
            // The position within paranoia is unknown now.
            nextFrame_ = -1;
            ok = false;
            break;
        }
        // Samples in host order; CD audio is little-endian.
        for (int s = 0; s < CdFrames::BytesPerFrame / 2; ++s)
            qToLittleEndian(sector[s], target + 2 * s);
    }
    return ok;
}

DiscPresence DriveDisc::presence() const
{
    refresh();
    return presence_;
}

const DiscToc& DriveDisc::toc() const
{
    static const DiscToc none;
    refresh();
    return presence_ == DiscPresence::Ready ? toc_ : none;
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
    if (paranoia_) {
        if (readCorrected(frame, count, out))
            return true;
        if (error)
            *error = QStringLiteral("cannot read frame %1 of the disc in %2").arg(frame).arg(drive_->name());
        return false;
    }
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
        *error = QStringLiteral("cannot read frame %1 of the disc in %2").arg(frame).arg(drive_->name());
    return ok;
}

void DriveDisc::doorMoved(bool open)
{
    engine_.halt();
    if (!usable_)
        return;
    if (open)
        drive_->eject();
    else
        drive_->closeTray();
    presence_ = DiscPresence::NoDisc;
    lastAsked_ = -1;
}
