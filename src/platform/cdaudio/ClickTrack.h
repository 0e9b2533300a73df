#pragma once

#include "platform/cdaudio/PcmSink.h"

#include <QByteArray>
#include <QList>
#include <functional>
#include <memory>

class PcmRing;

// A count-in of clicks played through the sound output: short decaying tone
// bursts at given moments, rendered whole as 44.1 kHz stereo 16-bit PCM and
// queued at once, so no reader thread is needed. heardMs() is the sample
// being heard (the sink's played count), so a press timed against it measures
// the listener and not the sound system. Used from one thread.
class ClickTrack {
public:
    // Makes the sink at the first start, so nothing touches the sound system
    // before then; asked again when the sink failed or only stood in for a
    // sound server that was missing.
    using SinkMaker = std::function<std::unique_ptr<PcmSink>()>;

    struct Click {
        qint64 atMs = 0;
        // Listen clicks sound lower, so the ear knows when to start tapping.
        bool listen = false;
    };

    static constexpr int ToneMs = 50;
    static constexpr int ListenHz = 880;
    static constexpr int TapHz = 1760;
    // About a third of full scale: clearly heard, never clipped.
    static constexpr int Amplitude = 11000;

    explicit ClickTrack(SinkMaker makeSink);
    ~ClickTrack();
    ClickTrack(const ClickTrack&) = delete;
    ClickTrack& operator=(const ClickTrack&) = delete;

    // lengthMs of audio: silence with a burst from each click's moment on.
    // A burst that would run past the end is cut there.
    static QByteArray render(const QList<Click>& clicks, qint64 lengthMs);
    // Where a moment starts in the rendered audio, in bytes.
    static qint64 byteAt(qint64 ms);

    // Plays the count-in from its start; false when no output could be made
    // or the one made refused the stream.
    bool start(const QList<Click>& clicks, qint64 lengthMs);
    // Ends the count-in; what is still queued is dropped. heardMs() stays.
    void stop();
    bool running() const { return running_; }
    // Milliseconds of the count-in heard since start.
    qint64 heardMs();
    // The output went away during the count-in: the time heard stands still.
    bool failed() const { return sink_ && sink_->failed(); }
    // The output only keeps time: the clicks are not heard.
    bool silent() const { return sink_ && sink_->standsIn(); }
    PcmSink* sink() { return sink_.get(); }

private:
    SinkMaker makeSink_;
    // Declared before the sink, so that the sink is gone before its ring.
    std::unique_ptr<PcmRing> ring_;
    std::unique_ptr<PcmSink> sink_;
    bool running_ = false;
    qint64 heardMs_ = 0;
};
