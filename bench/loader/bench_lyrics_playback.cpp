// Lyrics at play on the simulated disc with a manual clock: a dense lyrics
// file compiled the way the compiler window writes it, loaded by a play and
// stepped by the playback monitor into a real (off-screen) display window.
// Prints the cost of a monitor tick while lyrics run (all ticks, and the
// ticks that drew a piece), and the lag from each record's time on the disc
// clock to the tick that drew it.
#include "compile/CaptureFile.h"
#include "compile/DwdCapture.h"
#include "core/SettingsKeys.h"
#include "lyrics/ImageCanvas.h"
#include "lyrics/LyricState.h"
#include "lyrics/ui/LyricsWindowKeeper.h"
#include "platform/Clock.h"
#include "platform/FileDialogs.h"
#include "platform/MemorySettingsStore.h"
#include "platform/MessageBoxes.h"
#include "platform/SettingsStore.h"
#include "platform/ShiftJis.h"
#include "platform/cdaudio/DeviceSession.h"
#include "platform/cdaudio/SimulatedDisc.h"
#include "player/Association.h"
#include "player/LyricsPlayback.h"
#include "player/PlaybackMonitor.h"
#include "player/PlayerControls.h"
#include "player/PlayerState.h"
#include "player/Transport.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QMap>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

namespace {
using MemoryStore = MemorySettingsStore;

class NoDialogs final : public FileDialogs {
public:
    std::optional<QString> openFile(const QString&, const QString&, const QString&) override { return {}; }
    std::optional<QString> saveFile(const QString&, const QString&, const QString&, const QString&) override
    {
        return {};
    }
};

class CountingBoxes final : public MessageBoxes {
public:
    BoxButton show(const QString&, const QString&, BoxIcon, BoxButtons) override
    {
        ++shown;
        return BoxButton::Ok;
    }
    int shown = 0;
};

class LyricsControls final : public PlayerControls {
public:
    LyricsControls(PlayerState& state, LyricsPlayback& playback) : state_(state), playback_(playback) {}
    void setPlayEnabled(bool) override {}
    void setDigit(int, char) override {}
    void showPlayMode(PlayMode) override {}
    void setApplicationTitle(const QString&) override {}
    bool minimizeButtonDown() const override { return false; }
    bool wordsOnDown() const override { return true; }
    void loadLyricsAtPlay() override { playback_.loadAtPlay(state_.currentTrack); }
    void releaseLyricsAtStop() override { playback_.releaseAtStop(); }
    void stepLyrics() override { playback_.stepLyrics(); }

private:
    PlayerState& state_;
    LyricsPlayback& playback_;
};

TrackPosition positionOf(qint64 frames)
{
    return {qint16(frames / 4500), qint16(frames / 75 % 60), qint16(frames % 75)};
}

// A script of `pieces` one-character pieces, ten to a line, a new page every
// four lines, timed at key presses `minGap`..`maxGap` frames apart. Returns
// the absolute press times in frames.
std::vector<qint64> compile(const QString& fileName, int pieces, int minGap, int maxGap)
{
    const QString kana = QStringLiteral("あいうえおかきくけこさしすせそたちつてとなにぬねの");
    QString script;
    for (int i = 0; i < pieces; ++i) {
        if (i > 0 && i % 40 == 0)
            script += QStringLiteral("[/clear]");
        script += kana[i % kana.size()];
        if (i % 10 == 9)
            script += QStringLiteral("\r\n");
    }
    CaptureFile out;
    DwdCapture capture(out);
    capture.setScript(ShiftJis::encode(script));
    capture.begin(fileName);
    std::minstd_rand random(42);
    std::uniform_int_distribution<int> gap(minGap, maxGap);
    std::vector<qint64> times;
    qint64 frames = 75;
    qint32 lineBreaks = 0;
    for (int i = 0; i < pieces; ++i) {
        frames += gap(random);
        times.push_back(frames);
        capture.press(positionOf(frames), lineBreaks);
    }
    capture.finish();
    return times;
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(double(values.size()) * p))];
}

void run(const char* label, int pieces, int minGap, int maxGap)
{
    static int serial = 0;
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("dense.dwd"));
    const std::vector<qint64> times = compile(name, pieces, minGap, maxGap);

    ManualClock clock;
    DeviceSession session(SimulatedDisc::create(QStringLiteral("tracks=1,length=20:00,id=bench-lyrics-%1-%2")
                                                    .arg(QCoreApplication::applicationPid())
                                                    .arg(++serial),
                                                clock, nullptr));
    ReplyBuffer reply;
    session.sendCommand("open cdaudio", reply);
    session.sendCommand("set cdaudio time format tmsf", reply);
    session.sendCommand("info cdaudio identity wait", reply);

    MemoryStore store;
    store.openKey(SettingsKeys::relationKey(reply.toByteArray()), true)
        ->writeString(SettingsKeys::trackValue(1), name);
    NoDialogs dialogs;
    CountingBoxes boxes;
    Association association(session, boxes, store, dialogs);
    LyricState lyrics;
    LyricsWindowKeeper host(lyrics);
    LyricsPlayback playback(session, boxes, association, lyrics, host);
    PlayerState state;
    LyricsControls controls(state, playback);
    Transport transport(session, state, controls);
    PlaybackMonitor monitor(session, state, controls, transport);

    const auto loadStart = std::chrono::steady_clock::now();
    transport.play();
    const double loadMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - loadStart).count();

    std::vector<double> allTicks, drawingTicks, lags;
    size_t next = 0; // index of the first record not drawn yet
    const auto framesOf = [](const TrackPosition& p) {
        return (qint64(p.minutes) * 60 + p.seconds) * 75 + p.frames;
    };
    while (playback.reading().wordsActive && clock.nowMs() < 20 * 60 * 1000) {
        clock.advance(50);
        const auto start = std::chrono::steady_clock::now();
        monitor.onTick();
        const double us =
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
        allTicks.push_back(us);
        // Every record before the pending one has been drawn by now.
        size_t pending = times.size();
        if (playback.reading().recordPending) {
            const qint64 due = framesOf(playback.reading().nextRecordTime);
            pending = next;
            while (pending < times.size() && times[pending] != due)
                ++pending;
        }
        if (pending > next)
            drawingTicks.push_back(us);
        for (; next < pending; ++next) {
            // The disc first stands at the record's time at this clock reading.
            const qint64 dueMs = (times[next] * 1000 + 74) / 75;
            lags.push_back(double(clock.nowMs() - dueMs));
        }
    }
    std::printf("%s: %d pieces, %d..%d frames apart, load %.1f ms, %zu drawn, %d boxes\n", label, pieces,
                minGap, maxGap, loadMs, lags.size(), boxes.shown);
    std::printf("  tick while lyrics run     median %7.1f us  p99 %7.1f us  (%zu ticks)\n",
                percentile(allTicks, 0.5), percentile(allTicks, 0.99), allTicks.size());
    std::printf("  tick that draws a piece   median %7.1f us  p99 %7.1f us  max %7.1f us\n",
                percentile(drawingTicks, 0.5), percentile(drawingTicks, 0.99), percentile(drawingTicks, 1.0));
    std::printf("  lag due -> drawn (ms)     min %.0f  median %.0f  p90 %.0f  p99 %.0f  max %.0f\n",
                percentile(lags, 0), percentile(lags, 0.5), percentile(lags, 0.9), percentile(lags, 0.99),
                percentile(lags, 1.0));
}
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ImageCanvas::installFontSubstitutes();
    // One piece every 4 to 8 frames (53 to 107 ms): as fast as anyone times lyrics.
    run("dense", 2000, 4, 8);
    // One piece every 1 to 3 frames (13 to 40 ms): faster than the 50 ms tick,
    // so several pieces fall due in one tick.
    run("denser than the tick", 600, 1, 3);
    return 0;
}
