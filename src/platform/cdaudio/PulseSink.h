#pragma once

#include "platform/cdaudio/PcmSink.h"

#include <QString>
#include <atomic>
#include <memory>

struct pa_context;
struct pa_stream;
struct pa_threaded_mainloop;
struct pa_time_event;

// The sound server's output through libpulse's asynchronous API (PulseAudio,
// or PipeWire's Pulse server). The server's own thread pulls audio from the
// ring whenever it asks for more, so nothing the GUI thread does can starve
// it. The played count is the server's playback time of the stream, latency
// included: the sample being heard, not the bytes handed over.
//
// Every call is made from one thread (the engine's); the callbacks run on the
// library's thread under its lock, which guards all the members below.
class PulseSink final : public PcmSink {
public:
    // Connects to the server (PULSE_SERVER or the user's own); null with the
    // reason when none answers within a short wait.
    static std::unique_ptr<PulseSink> connect(QString* why = nullptr);
    ~PulseSink() override;

    void start(PcmRing& ring) override;
    void stop() override;
    qint64 playedBytes() override;
    bool failed() const override { return failed_.load(); }
    // The stream's volume on the server: set at its start and at once while
    // it plays; a change the desktop's mixer makes to it is read back.
    void setVolume(int percent) override;
    std::optional<int> volume() override;

    // Bytes the server has been handed since start.
    qint64 writtenBytes();
    // Times the server ran dry before the last byte since start: each one a gap.
    int underflows() const { return underflows_.load(); }

private:
    PulseSink() = default;
    static void contextChanged(pa_context* context, void* self);
    static void streamChanged(pa_stream* stream, void* self);
    static void streamWants(pa_stream* stream, size_t bytes, void* self);
    static void streamUnderflowed(pa_stream* stream, void* self);
    static void streamDrained(pa_stream* stream, int success, void* self);
    static void connectTimedOut(struct pa_mainloop_api* api, pa_time_event* event, const struct timeval* tv,
                                void* self);
    static void serverEvent(pa_context* context, int type, uint32_t index, void* self);
    static void streamInfo(pa_context* context, const struct pa_sink_input_info* info, int eol, void* self);
    void askStreamVolume();
    static void retryDue(struct pa_mainloop_api* api, pa_time_event* event, const struct timeval* tv,
                         void* self);
    // Moves what the ring holds into the room the server offers.
    void fill();
    // Leaves the server; waitForServer: until the server has dropped the stream.
    void closeStream(bool waitForServer);
    qint64 heardLocked();

    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    pa_time_event* retry_ = nullptr;
    PcmRing* ring_ = nullptr;
    qint64 written_ = 0;
    qint64 heard_ = 0;
    // The server's last count of the stream while it was playing, and when.
    qint64 lastCounted_ = 0;
    quint64 lastCountedAt_ = 0; // pa_rtclock_now() microseconds
    // Percent, -1: the server's choice, not known yet. Atomic, so that it
    // can be read without the lock.
    std::atomic<int> volume_{-1};
    bool drainAsked_ = false;
    bool drained_ = false;
    bool timedOut_ = false;
    bool closing_ = false;
    // The last count playedBytes() gave, and when (pa_rtclock_now()
    // microseconds, 0: none since the last stop). Only the engine's thread
    // touches them, so they need no lock.
    static constexpr quint64 RepeatWindowUsec = 1000;
    qint64 answered_ = 0;
    quint64 answeredAt_ = 0;
    std::atomic<bool> failed_{false};
    std::atomic<int> underflows_{0};
};
