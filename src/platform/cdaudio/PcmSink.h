#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>
#include <optional>

class Clock;
class PcmRing;

// Where the played audio goes: 44.1 kHz stereo 16-bit PCM pulled from a ring
// filled by the reader thread. The sink alone knows what has been heard, so
// positions are taken from it and never from the reader.
class PcmSink {
public:
    virtual ~PcmSink() = default;
    // Begins a new stream that pulls from the ring; the played count restarts at 0.
    virtual void start(PcmRing& ring) = 0;
    // Ends the stream; what is still queued is dropped.
    virtual void stop() = 0;
    // Bytes heard since start: never more than the sink has taken from the ring.
    virtual qint64 playedBytes() = 0;
    // The output refused the stream that start() began, or went away.
    virtual bool failed() const { return false; }
    // Only keeps time because the sound server was missing: worth replacing
    // with a real output at the next start.
    virtual bool standsIn() const { return false; }
    // The stream's volume in percent of the audio's own level, for this
    // stream and the ones after it; an output without a volume ignores it.
    virtual void setVolume(int) {}
    // The volume as the output has it now, a change made outside the
    // program included; nothing when the output has none or does not know yet.
    virtual std::optional<int> volume() { return std::nullopt; }

    // The sound server's output when one answers, else the silent stand-in.
    // This is the one place the output is chosen.
    static std::unique_ptr<PcmSink> createDefault(const Clock& clock);
    // A real-time clock that discards the samples, for an output that failed.
    // Playing silently is said once per process on standard error.
    static std::unique_ptr<PcmSink> silentStandIn(const Clock& clock);
};

namespace CdAudioFormat {
constexpr int SampleRate = 44100;
constexpr int BytesPerSecond = SampleRate * 4;
} // namespace CdAudioFormat
