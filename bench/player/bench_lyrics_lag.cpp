// How late the lyrics window shows a piece turning, and what the lyrics cost,
// over the demo song played for real (run it under Xvfb with a private null
// sink: bench/player/lyrics-lag.sh does both).
//
//   bench_lyrics_lag DEMO.cue DEMO.dwd classic|wipe|ticks [SECONDS]
//
// "ticks" is the display before pieces were timed between ticks: the player's
// wakes are kept off by a clock that never moves. For every piece the lag is
// the disc's time at the first paint of the window that shows the piece
// turning (drawn whole, or the wipe's first slice) minus the piece's time.
// The disc's time comes from position reports read at every tick and paint
// that shows a new piece,
// narrowed like the player's sound clock; its width is printed beside.
//
// With ONDEL_LAG_FRAMES=DIR the window as the X server shows it is grabbed
// after every third paint from 1 s to 4 s into the song, into DIR, with a
// contact sheet of the top lines of the first 24 (DIR/sheet.png).
#include "core/SettingsKeys.h"
#include "lyrics/LyricState.h"
#include "lyrics/LyricsStepper.h"
#include "lyrics/format/DwdReader.h"
#include "lyrics/ui/LyricsWindow.h"
#include "lyrics/ui/LyricsWindowKeeper.h"
#include "platform/Clock.h"
#include "platform/FileDialogs.h"
#include "platform/MemorySettingsStore.h"
#include "platform/MessageBoxes.h"
#include "platform/cdaudio/DeviceSession.h"
#include "platform/cdaudio/DiscSourceFactory.h"
#include "player/Association.h"
#include "player/DeviceCommands.h"
#include "player/LyricsPlayback.h"
#include "player/PlaybackMonitor.h"
#include "player/PlayerControls.h"
#include "player/PlayerState.h"
#include "player/SoundClock.h"
#include "player/Transport.h"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <vector>

namespace {
class Controls final : public PlayerControls {
public:
    Controls(PlayerState& state, LyricsPlayback& playback) : state_(state), playback_(playback) {}
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

class NoBoxes final : public MessageBoxes {
public:
    BoxButton show(const QString&, const QString& text, BoxIcon, BoxButtons) override
    {
        std::fprintf(stderr, "box: %s\n", qPrintable(text));
        return BoxButton::Ok;
    }
};

class NoDialogs final : public FileDialogs {
public:
    std::optional<QString> openFile(const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
    std::optional<QString> saveFile(const QString&, const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
};

// The times of the pieces with text, in file order.
std::vector<qint64> pieceTimes(const QString& dwd)
{
    std::vector<qint64> times;
    QFile file(dwd);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(11))
        return times;
    TrackPosition time;
    bool first = true;
    for (;;) {
        const DwdReader::Record record = DwdReader::readRecord(file);
        if (!record.hasDelta() || !record.complete())
            break;
        if (first)
            time = record.delta;
        else
            TrackPosition::addDelta(time, record.delta);
        first = false;
        if (!record.text.isEmpty())
            times.push_back(LyricsStepper::dueMs(time));
    }
    return times;
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ImageCanvas::installFontSubstitutes();
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: bench_lyrics_lag DEMO.cue DEMO.dwd classic|wipe|ticks [SECONDS]\n");
        return 2;
    }
    const QString mode = args[3];
    const int seconds = args.size() > 4 ? args[4].toInt() : 40;

    SteadyClock wall;
    ManualClock frozen;
    QString error;
    DeviceSession session(DiscSourceFactory::create(args[1], wall, &error));
    ReplyBuffer reply;
    session.sendCommand("open cdaudio", reply);
    session.sendCommand("set cdaudio time format tmsf", reply);
    session.sendCommand("info cdaudio identity wait", reply);
    MemorySettingsStore store;
    NoBoxes boxes;
    NoDialogs dialogs;
    Association association(session, boxes, store, dialogs);
    store.openKey(SettingsKeys::relationKey(reply.toByteArray()), true)
        ->writeString(SettingsKeys::trackValue(1), args[2]);
    LyricState lyrics;
    lyrics.setWipe(mode == QLatin1String("wipe"));
    LyricsWindowKeeper host(lyrics);
    LyricsPlayback playback(session, boxes, association, lyrics, host);
    playback.setClock(mode == QLatin1String("ticks") ? static_cast<const Clock&>(frozen) : wall);
    PlayerState state;
    Controls controls(state, playback);
    Transport transport(session, state, controls);
    PlaybackMonitor monitor(session, state, controls, transport);

    const std::vector<qint64> times = pieceTimes(args[2]);
    SoundClock disc;
    auto observe = [&] {
        TrackPosition position;
        if (DeviceCommands::readTrackPosition(session, position) == 0)
            disc.observe(wall.nowMs(), position);
    };
    // Pieces reached so far by the reading (those before the pending one).
    auto reached = [&] {
        const LyricsReading& r = playback.reading();
        if (!r.recordPending)
            return qsizetype(times.size());
        const qint64 pending = LyricsStepper::dueMs(r.nextRecordTime);
        return qsizetype(std::lower_bound(times.begin(), times.end(), pending) - times.begin());
    };
    const QString framesDir = qEnvironmentVariable("ONDEL_LAG_FRAMES");
    QList<QImage> grabbed;
    std::vector<double> lags;
    std::vector<double> widths;
    qsizetype shown = 0;
    int paints = 0;

    struct PaintWatch final : QObject {
        std::function<void()> onPaint;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Paint)
                onPaint();
            return false;
        }
    } watch;
    watch.onPaint = [&] {
        ++paints;
        qsizetype visible = reached();
        // The wipe's newest piece shows only once its first slice is drawn.
        const PartFill fill = lyrics.writtenFill();
        if (fill.index >= 0 && fill.span.to == 0)
            --visible;
        if (visible > shown)
            observe();
        // The middle of what the reports allow.
        const qint64 now = disc.trackMsAt(wall.nowMs()) + disc.uncertaintyMs() / 2;
        if (!framesDir.isEmpty() && paints % 3 == 0 && now >= 1000 && now <= 4000) {
            QTimer::singleShot(0, [&, now] {
                LyricsWindow* w = host.lyricsWindow();
                if (!w)
                    return;
                const QImage frame = w->screen()->grabWindow(w->winId()).toImage();
                frame.save(
                    QStringLiteral("%1/frame-%2.png").arg(framesDir).arg(now, 5, 10, QLatin1Char('0')));
                grabbed << frame;
            });
        }
        for (; shown < visible; ++shown) {
            lags.push_back(double(now - times[size_t(shown)]));
            widths.push_back(double(disc.uncertaintyMs()));
        }
    };

    QTimer tick;
    tick.setInterval(50);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        monitor.onTick();
        observe();
        if (LyricsWindow* w = host.lyricsWindow(); w && !w->property("watched").toBool()) {
            w->setProperty("watched", true);
            w->installEventFilter(&watch);
        }
    });
    state.currentTrack = 1;
    transport.play();
    tick.start();
    const double cpuStart = cpuSeconds();
    QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    app.exec();
    const double cpu = cpuSeconds() - cpuStart;
    transport.stop();
    if (!grabbed.isEmpty()) {
        const int rows = int(std::min<qsizetype>(grabbed.size(), 24));
        QImage sheet(grabbed[0].width(), rows * 50, QImage::Format_RGB32);
        QPainter painter(&sheet);
        for (int i = 0; i < rows; ++i)
            painter.drawImage(QPoint(0, i * 50), grabbed[i], QRect(0, 5, grabbed[i].width(), 50));
        painter.end();
        sheet.save(framesDir + QStringLiteral("/sheet.png"));
    }

    std::vector<double> sorted = lags;
    std::sort(sorted.begin(), sorted.end());
    if (sorted.empty()) {
        std::printf("%-8s no piece shown\n", qPrintable(mode));
        return 1;
    }
    double sum = 0;
    for (double l : lags)
        sum += l;
    std::sort(widths.begin(), widths.end());
    const double width = widths[widths.size() / 2] / 2;
    std::printf("%-8s pieces %3zu  lag median %5.1f ms  mean %5.1f  p90 %5.1f  max %5.1f  (+-%.0f ms)  "
                "paints %5d  cpu %.2f s over %d s\n",
                qPrintable(mode), sorted.size(), sorted[sorted.size() / 2], sum / double(lags.size()),
                sorted[sorted.size() * 9 / 10], sorted.back(), width, paints, cpu, seconds);
    return 0;
}
