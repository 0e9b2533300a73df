// Plays the demo disc (or any --disc image) for a while through the real
// sound output and reports the CPU time, the peak memory and how far the
// reported position strays from the wall clock.
//
//   ondel-bench-sound [IMAGE] [SECONDS]
//
// Run it by hand next to `paplay` on the same audio to compare (see README).

#include "platform/Clock.h"
#include "platform/cdaudio/DiscSourceFactory.h"
#include "platform/cdaudio/ImageDisc.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString image = args.size() > 1 ? args[1] : DiscSourceFactory::demoDisc();
    const int seconds = args.size() > 2 ? args[2].toInt() : 30;
    SteadyClock clock;
    ImageDisc disc(image, clock);
    if (disc.presence() != DiscPresence::Ready) {
        std::fprintf(stderr, "cannot read %s: %s\n", qPrintable(image), qPrintable(disc.problem()));
        return 1;
    }
    const int from = disc.toc().trackStart(1);
    disc.start(from, disc.toc().leadOut);

    // Offset of the heard position from the wall clock at every 50 ms tick,
    // as the player's timer would see it.
    std::vector<double> offsets;
    QElapsedTimer wall;
    wall.start();
    qint64 firstSoundMs = -1;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const double heardMs = (disc.position() - from) * 1000.0 / 75.0;
        if (heardMs > 0 && firstSoundMs < 0)
            firstSoundMs = wall.elapsed();
        if (heardMs > 0)
            offsets.push_back(heardMs - double(wall.elapsed()));
        if (qEnvironmentVariableIsSet("ONDEL_BENCH_TRACE"))
            std::printf("%lld %.0f\n", wall.elapsed(), heardMs);
        if (wall.elapsed() >= seconds * 1000)
            app.quit();
    });
    tick.start(50);
    app.exec();
    disc.halt();

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double cpu = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                       (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    std::sort(offsets.begin(), offsets.end());
    const double median = offsets.empty() ? 0 : offsets[offsets.size() / 2];
    double worst = 0;
    for (double o : offsets)
        worst = std::max(worst, std::abs(o - median));
    std::printf("played %d s of %s\n", seconds, qPrintable(image));
    std::printf("cpu time        %.3f s (%.2f %% of one core)\n", cpu, 100.0 * cpu / seconds);
    std::printf("peak memory     %ld KiB\n", usage.ru_maxrss);
    std::printf("first sound at  %lld ms\n", firstSoundMs);
    std::printf("position error  worst %.1f ms from the median offset over %zu ticks\n", worst,
                offsets.size());
    return 0;
}
