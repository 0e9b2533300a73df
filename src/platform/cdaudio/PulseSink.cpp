#include "platform/cdaudio/PulseSink.h"

#include "platform/cdaudio/PcmRing.h"

#include <pulse/pulseaudio.h>

namespace {
constexpr pa_sample_spec CdSampleFormat{PA_SAMPLE_S16LE, uint32_t(CdAudioFormat::SampleRate), 2};
constexpr uint32_t bytesOfMs(int ms)
{
    return uint32_t(CdAudioFormat::BytesPerSecond / 1000 * ms);
}
// The server keeps about two seconds queued and starts once it has them. A
// stream that asks for less than a device already runs ahead makes the
// server shrink how far it may take back rendered silence, so on an idle
// device the first sound would wait up to that lead (two seconds on a null
// sink). As long a queue lets the new stream replace the silence at once; it
// costs nothing at stop (leaving the server drops it) and the position takes
// the queue into account. The queue is filled from the library's thread.
constexpr uint32_t TargetBytes = bytesOfMs(2000);
constexpr uint32_t RequestBytes = bytesOfMs(20);
// When the ring ran short, the next look at it comes this soon.
constexpr pa_usec_t RetryUsec = 10 * PA_USEC_PER_MSEC;
constexpr pa_usec_t ConnectTimeoutUsec = 2 * PA_USEC_PER_SEC;
// How long a stop waits at most for a server that does not answer.
constexpr pa_usec_t CloseTimeoutUsec = 500 * PA_USEC_PER_MSEC;

class Locker {
public:
    explicit Locker(pa_threaded_mainloop* loop) : loop_(loop) { pa_threaded_mainloop_lock(loop_); }
    ~Locker() { pa_threaded_mainloop_unlock(loop_); }
    Locker(const Locker&) = delete;
    Locker& operator=(const Locker&) = delete;

private:
    pa_threaded_mainloop* loop_;
};
} // namespace

std::unique_ptr<PulseSink> PulseSink::connect(QString* why)
{
    std::unique_ptr<PulseSink> sink(new PulseSink);
    auto fail = [&](const QString& reason) -> std::unique_ptr<PulseSink> {
        if (why)
            *why = reason;
        return nullptr;
    };
    sink->loop_ = pa_threaded_mainloop_new();
    if (!sink->loop_)
        return fail(QStringLiteral("cannot make the sound thread"));
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(sink->loop_);
    sink->context_ = pa_context_new(api, "OndelPlayer");
    if (!sink->context_)
        return fail(QStringLiteral("cannot make a sound server context"));
    pa_context_set_state_callback(sink->context_, contextChanged, sink.get());
    if (pa_context_connect(sink->context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        return fail(QString::fromUtf8(pa_strerror(pa_context_errno(sink->context_))));
    if (pa_threaded_mainloop_start(sink->loop_) < 0)
        return fail(QStringLiteral("cannot start the sound thread"));

    pa_threaded_mainloop_lock(sink->loop_);
    // A server that accepts the connection but never answers must not hang
    // the first play.
    pa_time_event* timeout = pa_context_rttime_new(sink->context_, pa_rtclock_now() + ConnectTimeoutUsec,
                                                   connectTimedOut, sink.get());
    pa_context_state_t state;
    while ((state = pa_context_get_state(sink->context_)) != PA_CONTEXT_READY && PA_CONTEXT_IS_GOOD(state) &&
           !sink->timedOut_)
        pa_threaded_mainloop_wait(sink->loop_);
    if (timeout)
        api->time_free(timeout);
    const QString reason = sink->timedOut_ ? QStringLiteral("the sound server does not answer")
                                           : QString::fromUtf8(pa_strerror(pa_context_errno(sink->context_)));
    if (state == PA_CONTEXT_READY) {
        // Streams' changes, to follow the desktop's mixer moving ours.
        pa_context_set_subscribe_callback(
            sink->context_,
            [](pa_context* context, pa_subscription_event_type_t type, uint32_t index, void* self) {
                serverEvent(context, int(type), index, self);
            },
            sink.get());
        if (pa_operation* op =
                pa_context_subscribe(sink->context_, PA_SUBSCRIPTION_MASK_SINK_INPUT, nullptr, nullptr))
            pa_operation_unref(op);
    }
    pa_threaded_mainloop_unlock(sink->loop_);
    if (state != PA_CONTEXT_READY)
        return fail(reason);
    return sink;
}

PulseSink::~PulseSink()
{
    if (!loop_)
        return;
    {
        // Stream and context go while the library's thread is held, so no
        // callback of theirs can run half-way through their release.
        Locker lock(loop_);
        closeStream(false);
        if (context_) {
            pa_context_set_subscribe_callback(context_, nullptr, nullptr);
            pa_context_set_state_callback(context_, nullptr, nullptr);
            pa_context_disconnect(context_);
            pa_context_unref(context_);
            context_ = nullptr;
        }
    }
    pa_threaded_mainloop_stop(loop_);
    pa_threaded_mainloop_free(loop_);
}

void PulseSink::connectTimedOut(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self)
{
    auto* sink = static_cast<PulseSink*>(self);
    sink->timedOut_ = true;
    pa_threaded_mainloop_signal(sink->loop_, 0);
}

void PulseSink::contextChanged(pa_context* context, void* self)
{
    auto* sink = static_cast<PulseSink*>(self);
    if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context)))
        sink->failed_ = true;
    pa_threaded_mainloop_signal(sink->loop_, 0);
}

void PulseSink::streamChanged(pa_stream* stream, void* self)
{
    auto* sink = static_cast<PulseSink*>(self);
    if (stream != sink->stream_)
        return;
    pa_threaded_mainloop_signal(sink->loop_, 0);
    if (sink->closing_)
        return;
    if (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream)))
        sink->failed_ = true;
    else if (pa_stream_get_state(stream) == PA_STREAM_READY) {
        sink->askStreamVolume();
        sink->fill();
    }
}

namespace {
pa_cvolume stereoVolume(int percent)
{
    pa_cvolume volume;
    pa_cvolume_set(&volume, CdSampleFormat.channels, pa_volume_t(qint64(percent) * PA_VOLUME_NORM / 100));
    return volume;
}
} // namespace

void PulseSink::askStreamVolume()
{
    if (!stream_ || pa_stream_get_state(stream_) != PA_STREAM_READY)
        return;
    if (pa_operation* op =
            pa_context_get_sink_input_info(context_, pa_stream_get_index(stream_), streamInfo, this))
        pa_operation_unref(op);
}

void PulseSink::serverEvent(pa_context*, int type, uint32_t index, void* self)
{
    auto* sink = static_cast<PulseSink*>(self);
    const int facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    const int kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
    if (facility == PA_SUBSCRIPTION_EVENT_SINK_INPUT && kind == PA_SUBSCRIPTION_EVENT_CHANGE &&
        sink->stream_ && pa_stream_get_state(sink->stream_) == PA_STREAM_READY &&
        index == pa_stream_get_index(sink->stream_))
        sink->askStreamVolume();
}

void PulseSink::streamInfo(pa_context*, const pa_sink_input_info* info, int eol, void* self)
{
    auto* sink = static_cast<PulseSink*>(self);
    if (eol || !info || !sink->stream_ || info->index != pa_stream_get_index(sink->stream_))
        return;
    sink->volume_ = int((qint64(pa_cvolume_avg(&info->volume)) * 100 + PA_VOLUME_NORM / 2) / PA_VOLUME_NORM);
}

void PulseSink::setVolume(int percent)
{
    Q_ASSERT(percent >= 0);
    Locker lock(loop_);
    volume_ = percent;
    if (!stream_ || pa_stream_get_state(stream_) != PA_STREAM_READY)
        return;
    const pa_cvolume volume = stereoVolume(percent);
    if (pa_operation* op = pa_context_set_sink_input_volume(context_, pa_stream_get_index(stream_), &volume,
                                                            nullptr, nullptr))
        pa_operation_unref(op);
}

std::optional<int> PulseSink::volume()
{
    // Asked every tick by the remote control: read without the library's lock.
    const int percent = volume_.load();
    return percent >= 0 ? std::optional<int>(percent) : std::nullopt;
}

void PulseSink::streamWants(pa_stream* stream, size_t, void* self)
{
    auto* sink = static_cast<PulseSink*>(self);
    if (stream == sink->stream_)
        sink->fill();
}

void PulseSink::streamUnderflowed(pa_stream* stream, void* self)
{
    auto* sink = static_cast<PulseSink*>(self);
    if (stream == sink->stream_ && !sink->drainAsked_)
        ++sink->underflows_;
}

void PulseSink::streamDrained(pa_stream* stream, int success, void* self)
{
    auto* sink = static_cast<PulseSink*>(self);
    if (stream == sink->stream_ && success)
        sink->drained_ = true;
}

void PulseSink::retryDue(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self)
{
    auto* sink = static_cast<PulseSink*>(self);
    pa_context_rttime_restart(sink->context_, sink->retry_, PA_USEC_INVALID);
    sink->fill();
}

void PulseSink::start(PcmRing& ring)
{
    stop();
    Locker lock(loop_);
    written_ = heard_ = lastCounted_ = 0;
    lastCountedAt_ = 0;
    drainAsked_ = drained_ = false;
    underflows_ = 0;
    if (failed_ || pa_context_get_state(context_) != PA_CONTEXT_READY) {
        failed_ = true;
        return;
    }
    stream_ = pa_stream_new(context_, "disc audio", &CdSampleFormat, nullptr);
    if (!stream_) {
        failed_ = true;
        return;
    }
    ring_ = &ring;
    pa_stream_set_state_callback(stream_, streamChanged, this);
    pa_stream_set_write_callback(stream_, streamWants, this);
    pa_stream_set_underflow_callback(stream_, streamUnderflowed, this);
    retry_ = pa_context_rttime_new(context_, PA_USEC_INVALID, retryDue, this);
    // Explicit sizes and no latency adjustment, so an idle device does not
    // settle on a new latency before the first sound.
    pa_buffer_attr attr{};
    attr.maxlength = uint32_t(-1);
    attr.tlength = TargetBytes;
    attr.prebuf = TargetBytes;
    attr.minreq = RequestBytes;
    attr.fragsize = uint32_t(-1);
    const auto flags = pa_stream_flags_t(PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE);
    const int percent = volume_.load();
    const pa_cvolume volume = stereoVolume(std::max(percent, 0));
    if (pa_stream_connect_playback(stream_, nullptr, &attr, flags, percent >= 0 ? &volume : nullptr,
                                   nullptr) < 0) {
        failed_ = true;
        closeStream(false);
    }
}

void PulseSink::fill()
{
    if (!stream_ || !ring_ || pa_stream_get_state(stream_) != PA_STREAM_READY || drainAsked_)
        return;
    size_t room = pa_stream_writable_size(stream_);
    if (room == size_t(-1))
        return;
    room = room / 4 * 4;
    while (room > 0) {
        void* data = nullptr;
        size_t size = room;
        if (pa_stream_begin_write(stream_, &data, &size) < 0 || !data)
            break;
        size = std::min(size, room) / 4 * 4;
        const qsizetype got = ring_->read(static_cast<char*>(data), qsizetype(size));
        if (got <= 0) {
            pa_stream_cancel_write(stream_);
            break;
        }
        if (pa_stream_write(stream_, data, size_t(got), nullptr, 0, PA_SEEK_RELATIVE) < 0)
            break;
        written_ += got;
        room -= size_t(got);
    }
    if (ring_->drained()) {
        // The last byte is in: the server plays it out even short of its
        // start threshold, and says when it has.
        drainAsked_ = true;
        if (pa_operation* op = pa_stream_drain(stream_, streamDrained, this))
            pa_operation_unref(op);
    }
    else if (room > 0 && retry_) {
        // The reader is behind and the server will not ask again for room
        // it already offered: look again shortly.
        pa_context_rttime_restart(context_, retry_, pa_rtclock_now() + RetryUsec);
    }
}

qint64 PulseSink::heardLocked()
{
    if (!stream_)
        return heard_;
    if (drained_) {
        heard_ = written_;
        return heard_;
    }
    pa_usec_t usec = 0;
    if (pa_stream_get_time(stream_, &usec) != 0)
        return heard_;
    qint64 bytes = qint64(pa_usec_to_bytes(usec, &CdSampleFormat));
    const pa_timing_info* timing = pa_stream_get_timing_info(stream_);
    const pa_usec_t now = pa_rtclock_now();
    if (drainAsked_ && timing && !timing->playing && lastCountedAt_ != 0) {
        // Once the stream's last bytes have gone on to the device the server
        // stops counting its time, yet the device still has them to play
        // (a second or more): go on at the pace of the clock until the
        // server says they are out, so the position never stalls at the end.
        bytes =
            std::max(bytes, lastCounted_ + qint64(pa_usec_to_bytes(now - lastCountedAt_, &CdSampleFormat)));
    }
    else {
        lastCounted_ = bytes;
        lastCountedAt_ = now;
    }
    heard_ = std::max(heard_, std::min(bytes / 4 * 4, written_));
    return heard_;
}

qint64 PulseSink::playedBytes()
{
    // One tick asks several times (the monitor, the lyrics, the remote
    // control): within a millisecond the same count is good enough, and it
    // spares taking the library's lock and its clock each time.
    const pa_usec_t now = pa_rtclock_now();
    if (answeredAt_ != 0 && now - answeredAt_ < RepeatWindowUsec)
        return answered_;
    Locker lock(loop_);
    answered_ = heardLocked();
    answeredAt_ = now;
    return answered_;
}

qint64 PulseSink::writtenBytes()
{
    Locker lock(loop_);
    return written_;
}

void PulseSink::stop()
{
    answeredAt_ = 0;
    Locker lock(loop_);
    heardLocked();
    closeStream(true);
}

void PulseSink::closeStream(bool waitForServer)
{
    if (retry_) {
        pa_threaded_mainloop_get_api(loop_)->time_free(retry_);
        retry_ = nullptr;
    }
    if (!stream_)
        return;
    pa_stream_set_write_callback(stream_, nullptr, nullptr);
    pa_stream_set_underflow_callback(stream_, nullptr, nullptr);
    ring_ = nullptr;
    closing_ = true;
    // A stream still being made cannot be left yet, and dropped as it is it
    // would live on in the server: wait for the server to finish making it.
    // Then leaving it drops what the server still holds of it at once; stop
    // waits for that, so the device is silent when the command returns.
    timedOut_ = false;
    pa_time_event* timeout =
        pa_context_rttime_new(context_, pa_rtclock_now() + CloseTimeoutUsec, connectTimedOut, this);
    while (pa_stream_get_state(stream_) == PA_STREAM_CREATING && !timedOut_ &&
           pa_context_get_state(context_) == PA_CONTEXT_READY)
        pa_threaded_mainloop_wait(loop_);
    if (pa_stream_get_state(stream_) == PA_STREAM_READY && pa_stream_disconnect(stream_) == 0)
        while (waitForServer && PA_STREAM_IS_GOOD(pa_stream_get_state(stream_)) && !timedOut_)
            pa_threaded_mainloop_wait(loop_);
    if (timeout)
        pa_threaded_mainloop_get_api(loop_)->time_free(timeout);
    pa_stream_set_state_callback(stream_, nullptr, nullptr);
    pa_stream_unref(stream_);
    stream_ = nullptr;
    closing_ = false;
}
