// Times the sound output against what a private PulseAudio null sink really
// played, read back from the sink's monitor:
//   - Play -> first audible sample, on an idle sink and on a busy one (another
//     stream playing silence), 20 runs each;
//   - Stop -> silence;
//   - the player's position against the recording, over a play that has a
//     400 ms stall of the GUI thread in it, and the gaps in the recording.
//
//   ondel-bench-sound-timing [RUNS]
//
// Every sample of the played file names itself (left and right together give
// its index), so the recording tells which sample was heard when.

#include "PulseServer.h"
#include "TrackBoundaries.h"
#include "platform/Clock.h"
#include "platform/cdaudio/ImageDisc.h"
#include "platform/cdaudio/PulseSink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <pulse/error.h>
#include <pulse/simple.h>
#include <sndfile.h>
#include <thread>
#include <vector>

namespace {
constexpr int Rate = 44100;
constexpr int SamplesPerChunk = 220; // 5 ms read at a time from the monitor

qint64 nowUs()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

// Reads the null sink's monitor in 5 ms pieces on its own thread and keeps,
// for every sample, its index in the played file (-1 for silence) and when
// the piece holding it arrived.
class MonitorRecorder {
public:
    bool start()
    {
        pa_sample_spec format{PA_SAMPLE_S16LE, Rate, 2};
        pa_buffer_attr attr{};
        attr.maxlength = uint32_t(-1);
        attr.fragsize = SamplesPerChunk * 4;
        int error = 0;
        simple_ = pa_simple_new(nullptr, "bench recorder", PA_STREAM_RECORD, "ondel_test.monitor", "monitor",
                                &format, nullptr, &attr, &error);
        if (!simple_) {
            std::fprintf(stderr, "cannot record the monitor: %s\n", pa_strerror(error));
            return false;
        }
        thread_ = std::thread([this] { loop(); });
        return true;
    }
    ~MonitorRecorder()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        if (simple_)
            pa_simple_free(simple_);
    }
    void clear()
    {
        std::lock_guard lock(mutex_);
        index_.clear();
        arrivedUs_.clear();
    }
    // Arrival time of the first sample after fromUs that is (or is not) sound.
    qint64 firstArrival(qint64 fromUs, bool sound)
    {
        std::lock_guard lock(mutex_);
        for (size_t i = 0; i < index_.size(); ++i)
            if (arrivedUs_[i] >= fromUs && (index_[i] >= 0) == sound)
                return arrivedUs_[i];
        return -1;
    }
    qint64 lastSoundArrival()
    {
        std::lock_guard lock(mutex_);
        for (size_t i = index_.size(); i-- > 0;)
            if (index_[i] >= 0)
                return arrivedUs_[i];
        return -1;
    }
    std::vector<int> index()
    {
        std::lock_guard lock(mutex_);
        return index_;
    }
    std::vector<qint64> arrived()
    {
        std::lock_guard lock(mutex_);
        return arrivedUs_;
    }

private:
    void loop()
    {
        std::vector<short> chunk(SamplesPerChunk * 2);
        while (!stop_) {
            int error = 0;
            if (pa_simple_read(simple_, chunk.data(), chunk.size() * 2, &error) < 0)
                return;
            const qint64 end = nowUs();
            std::lock_guard lock(mutex_);
            for (int s = 0; s < SamplesPerChunk; ++s) {
                const int left = chunk[size_t(2 * s)], right = chunk[size_t(2 * s + 1)];
                index_.push_back(left == 0 && right == 0 ? -1 : (right - 1) * 32000 + (left - 1));
                // A sample was heard as long before the piece arrived as the
                // samples after it in the piece last.
                arrivedUs_.push_back(end - qint64(SamplesPerChunk - 1 - s) * 1000000 / Rate);
            }
        }
    }

    pa_simple* simple_ = nullptr;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<int> index_;
    std::vector<qint64> arrivedUs_;
};

void waitMs(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
}

struct Stats {
    std::vector<double> values;
    void add(double v) { values.push_back(v); }
    QString text() const
    {
        if (values.empty())
            return QStringLiteral("no data");
        std::vector<double> v = values;
        std::sort(v.begin(), v.end());
        return QStringLiteral("min %1  median %2  max %3 ms (%4 runs)")
            .arg(v.front(), 0, 'f', 1)
            .arg(v[v.size() / 2], 0, 'f', 1)
            .arg(v.back(), 0, 'f', 1)
            .arg(v.size());
    }
};

void startLatencies(const QString& file, MonitorRecorder& recorder, int runs, const char* label)
{
    SteadyClock clock;
    Stats start, stop;
    int missed = 0;
    for (int run = 0; run < runs; ++run) {
        recorder.clear();
        waitMs(200);
        ImageDisc disc(file, clock);
        const qint64 t0 = nowUs();
        disc.start(150, disc.toc().leadOut);
        qint64 heard = -1;
        QElapsedTimer waited;
        waited.start();
        while ((heard = recorder.firstArrival(t0, true)) < 0 && waited.elapsed() < 3000)
            waitMs(2);
        if (heard < 0) {
            ++missed;
            continue;
        }
        start.add((heard - t0) / 1000.0);
        if (qEnvironmentVariableIsSet("ONDEL_BENCH_TRACE"))
            std::printf("  run %d: first sound after %.1f ms\n", run + 1, (heard - t0) / 1000.0);
        waitMs(300);
        const qint64 t1 = nowUs();
        disc.halt();
        waitMs(300);
        const qint64 silent = recorder.firstArrival(t1, false);
        if (silent >= 0)
            stop.add((silent - t1) / 1000.0);
    }
    std::printf("%-5s sink: play -> first sound  %s%s\n", label, qPrintable(start.text()),
                missed ? qPrintable(QStringLiteral(", %1 runs never sounded").arg(missed)) : "");
    std::printf("%-5s sink: stop -> silence      %s\n", label, qPrintable(stop.text()));
}

void positionAndGaps(const QString& file, MonitorRecorder& recorder)
{
    SteadyClock clock;
    ImageDisc disc(file, clock);
    recorder.clear();
    waitMs(200);
    struct Sample {
        qint64 us;
        int frame;
        qint64 bytes;
    };
    std::vector<Sample> samples;
    const qint64 t0 = nowUs();
    disc.start(150, disc.toc().leadOut);
    auto* sink = disc.engine().sink();
    bool stalled = false;
    qint64 stallAt = 0;
    while (nowUs() - t0 < 8000000) {
        samples.push_back({nowUs(), disc.position(), sink->playedBytes()});
        if (!stalled && nowUs() - t0 > 3000000) {
            stalled = true;
            stallAt = nowUs();
            QThread::msleep(400); // the GUI thread is busy elsewhere
        }
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
    const qint64 stopAt = nowUs();
    disc.halt();
    waitMs(300);

    const std::vector<int> index = recorder.index();
    const std::vector<qint64> arrived = recorder.arrived();
    // Gaps: after the first sound and before the stop, every sample must be
    // the one after the previous.
    qint64 gaps = 0, missing = 0;
    int previous = -2;
    for (size_t i = 0; i < index.size(); ++i) {
        if (arrived[i] < t0 || arrived[i] > stopAt - 20000)
            continue;
        if (previous == -2) {
            if (index[i] >= 0)
                previous = index[i];
            continue;
        }
        if (index[i] != previous + 1) {
            ++gaps;
            missing += index[i] < 0 ? 1 : std::abs(index[i] - previous - 1);
        }
        if (index[i] >= 0)
            previous = index[i];
    }
    // Position against the recording: at each tick, what the monitor says was
    // being heard then.
    double worstFrames = 0, worstBytes = 0;
    std::vector<double> frameErrors, byteErrors;
    size_t r = 0;
    for (const Sample& s : samples) {
        if (s.us - t0 < 500000 || (s.us > stallAt - 20000 && s.us < stallAt + 420000))
            continue;
        while (r + 1 < index.size() && arrived[r + 1] <= s.us)
            ++r;
        if (r >= index.size() || index[r] < 0)
            continue;
        // The position is a frame number: it is compared with the frame that
        // holds the sample being heard; the sink's count with the sample.
        const double heardMs = index[r] * 1000.0 / Rate;
        const double heardFrameMs = (index[r] / 588) * 1000.0 / 75.0;
        const double frameMs = (s.frame - 150) * 1000.0 / 75.0;
        const double bytesMs = s.bytes * 1000.0 / (Rate * 4);
        frameErrors.push_back(frameMs - heardFrameMs);
        byteErrors.push_back(bytesMs - heardMs);
        worstFrames = std::max(worstFrames, std::abs(frameMs - heardFrameMs));
        worstBytes = std::max(worstBytes, std::abs(bytesMs - heardMs));
    }
    auto median = [](std::vector<double> v) {
        if (v.empty())
            return 0.0;
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    std::printf("position against the monitor: frame reported vs frame heard max |error| %.1f ms "
                "(median %.1f); sink count vs sample heard %.1f ms (median %.1f); %zu ticks\n",
                worstFrames, median(frameErrors), worstBytes, median(byteErrors), frameErrors.size());
    std::printf("400 ms GUI stall: %lld gaps, %lld samples missing or silent in %.1f s recorded\n", gaps,
                missing, (stopAt - t0) / 1e6);
    if (auto* pulse = dynamic_cast<PulseSink*>(sink))
        std::printf("server underflows during the play: %d\n", pulse->underflows());
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 20;
    QTemporaryDir dir;
    PulseServer server(dir.path());
    if (!PulseServer::installed() || !server.start()) {
        std::fprintf(stderr, "cannot start a private PulseAudio server\n");
        return 1;
    }
    const QString file = dir.filePath(QStringLiteral("numbered.wav"));
    if (!TrackBoundaries::writeNumbered(file, 0, qint64(30) * Rate)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return 1;
    }
    int result = 0;
    {
        MonitorRecorder recorder;
        if (!recorder.start())
            return 1;
        // An idle null sink renders up to two seconds ahead; the recorder's
        // own start shortens that, and what was rendered before must play
        // out first, for any program. Measure from a sink that has settled.
        waitMs(2500);
        startLatencies(file, recorder, runs, "idle");
        positionAndGaps(file, recorder);

        // Another program keeps the sink busy with a stream of silence.
        QProcess other;
        other.setStandardInputFile(QStringLiteral("/dev/zero"));
        other.start(QStringLiteral("pacat"), {QStringLiteral("--raw"), QStringLiteral("--latency-msec=20")});
        if (!other.waitForStarted(3000)) {
            std::fprintf(stderr, "cannot start pacat for the busy sink\n");
            result = 1;
        }
        else {
            waitMs(500);
            startLatencies(file, recorder, runs, "busy");
            other.kill();
            other.waitForFinished(3000);
        }
    }
    return result;
}
