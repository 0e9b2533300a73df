#pragma once

#include "platform/cdaudio/PcmRing.h"
#include "platform/cdaudio/PcmSink.h"

#include <QString>
#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

class Clock;
class TimeStretch;

// Plays absolute disc frames: a reader thread reads 2352-byte frames ahead
// into a ring, the sink plays them, and the position is the start frame plus
// what the sink reports as heard. Used from one thread (the GUI thread).
//
// A sink may run the event loop while it starts or stops, and a click or a
// tick delivered there may ask the engine to play or stop again. Such a call
// never runs inside the one in progress: it is queued and run, in order, as
// soon as the outer call is done, so the engine ends in the state the latest
// request asked for and never has two readers.
class PlaybackEngine {
public:
    // Reads count frames from an absolute frame into out (count * 2352 bytes).
    // On failure fills what it can, says why and returns false; the engine
    // plays silence for a frame it cannot read.
    using FrameReader = std::function<bool(int frame, int count, char* out, QString* error)>;
    // Makes the sink at the first play, so nothing touches the sound system
    // before then; asked again when the sink failed or only stands in for a
    // sound server that was missing.
    using SinkMaker = std::function<std::unique_ptr<PcmSink>()>;

    PlaybackEngine(FrameReader reader, SinkMaker makeSink, const Clock* fallbackClock);
    ~PlaybackEngine();
    PlaybackEngine(const PlaybackEngine&) = delete;
    PlaybackEngine& operator=(const PlaybackEngine&) = delete;

    // Plays [fromFrame, endFrame): returns at once when the first audio is queued.
    bool start(int fromFrame, int endFrame);
    // Stops; the position stays at what was heard.
    void halt();
    // False once the sink has played the end frame.
    bool isPlaying();
    int position();
    // Where a stopped engine stands (e.g. the first track after the door closed).
    void setPosition(int frame);
    // Plays at percent of the normal speed with the pitch kept (see
    // TimeStretch); a running play goes on at once from what was heard.
    // Positions stay in disc time.
    void setTempo(int percent);
    int tempo() const { return tempo_; }
    // The sound's volume in percent (PcmSink::setVolume), kept for every
    // later play and output; volume() follows the output's own changes.
    void setVolume(int percent);
    std::optional<int> volume();

    PcmSink* sink() { return sink_.get(); }
    // Frames the reader could not read since the last start.
    int unreadableFrames() const { return unreadable_.load(); }

private:
    struct Request {
        enum Kind { Play, Halt, Place, Tempo } kind;
        int from = 0;
        int end = 0;
    };
    // Runs a request, or keeps it for later when another one is in progress.
    bool run(const Request& request);
    bool apply(const Request& request);
    bool play(int fromFrame, int endFrame);
    void stopAll();
    void ensureSink();
    void standIn();
    void readLoop(int fromFrame, int endFrame, std::unique_ptr<TimeStretch> stretch);
    int heardFrame();

    FrameReader reader_;
    SinkMaker makeSink_;
    const Clock* fallbackClock_;
    std::unique_ptr<PcmSink> sink_;
    PcmRing ring_;
    std::thread thread_;
    std::atomic<int> unreadable_{0};
    bool busy_ = false;
    std::deque<Request> deferred_;
    bool playing_ = false;
    int startFrame_ = 0;
    int endFrame_ = 0;
    int heldFrame_ = 0;
    int lastHeard_ = 0;
    int tempo_ = 100;
    std::optional<int> volume_;
    // The tempo of the stream the sink plays: what heard bytes are worth on the disc.
    int playTempo_ = 100;
    int playLead_ = 0; // disc samples slowed audio runs ahead (TimeStretch::leadSamples)
};
