// The cost of one playback monitor tick against the simulated disc: the
// device commands of a tick, the reply parsing and the play-mode reaction,
// with a window that draws nothing. Prints median and 99th percentile in
// microseconds, for ticks while playing and while stopped.
#include "platform/Clock.h"
#include "platform/cdaudio/DeviceSession.h"
#include "platform/cdaudio/SimulatedDisc.h"
#include "player/PlaybackMonitor.h"
#include "player/PlayerControls.h"
#include "player/PlayerState.h"
#include "player/Transport.h"

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {
class NullControls final : public PlayerControls {
public:
    void setPlayEnabled(bool) override {}
    void setDigit(int, char c) override { sink += c; }
    void showPlayMode(PlayMode) override {}
    void setApplicationTitle(const QString&) override {}
    bool minimizeButtonDown() const override { return false; }
    bool wordsOnDown() const override { return false; }
    int sink = 0;
};

void report(const char* what, std::vector<double>& micros)
{
    std::sort(micros.begin(), micros.end());
    const double median = micros[micros.size() / 2];
    const double p99 = micros[std::min(micros.size() - 1, micros.size() * 99 / 100)];
    std::printf("%-28s ticks %6zu  median %7.2f us  p99 %7.2f us\n", what, micros.size(), median, p99);
}

std::vector<double> measure(const char* disc, bool playing, int ticks)
{
    ManualClock clock;
    DeviceSession session(SimulatedDisc::create(QString::fromLatin1(disc), clock, nullptr));
    NullControls controls;
    PlayerState state;
    Transport transport(session, state, controls);
    PlaybackMonitor monitor(session, state, controls, transport);
    ReplyBuffer reply;
    session.sendCommand("open cdaudio", reply);
    session.sendCommand("set cdaudio time format tmsf", reply);
    if (playing)
        transport.play();

    std::vector<double> micros;
    micros.reserve(size_t(ticks));
    for (int i = 0; i < ticks; ++i) {
        clock.advance(50);
        const auto start = std::chrono::steady_clock::now();
        monitor.onTick();
        const auto end = std::chrono::steady_clock::now();
        micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    return micros;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // 20 000 ticks are 1000 s of playing: 33 track changes on 30 s tracks.
    auto playing = measure("tracks=40,length=0:30,id=bench-playing", true, 20000);
    auto stopped = measure("tracks=40,length=0:30,id=bench-stopped", false, 20000);
    report("playing (incl. track changes)", playing);
    report("stopped", stopped);
    return 0;
}
