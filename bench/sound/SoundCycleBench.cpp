// Start, stop and seek the sound output at random many times in a row, for
// the sanitizers: every cycle must leave one reader and one server stream.
//
//   ondel-bench-sound-cycles [CYCLES] [IMAGE]
//
// Plays through the sound server named by PULSE_SERVER (or the user's own),
// else on the silent clock.

#include "platform/Clock.h"
#include "platform/cdaudio/DiscSourceFactory.h"
#include "platform/cdaudio/ImageDisc.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QThread>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int cycles = args.size() > 1 ? args[1].toInt() : 500;
    const QString image = args.size() > 2 ? args[2] : DiscSourceFactory::demoDisc();
    SteadyClock clock;
    ImageDisc disc(image, clock);
    if (disc.presence() != DiscPresence::Ready) {
        std::fprintf(stderr, "cannot read %s: %s\n", qPrintable(image), qPrintable(disc.problem()));
        return 1;
    }
    const DiscToc toc = disc.toc();
    QRandomGenerator random(20);
    QElapsedTimer wall;
    wall.start();
    int backwards = 0;
    for (int i = 0; i < cycles; ++i) {
        const int from = toc.trackStart(1) + int(random.bounded(toc.discLength()));
        disc.start(from, toc.leadOut);
        const int played = int(random.bounded(120));
        QThread::msleep(ulong(played));
        const int before = disc.position();
        if (disc.isPlaying() && disc.position() < before)
            ++backwards;
        switch (random.bounded(3)) {
        case 0:
            disc.halt();
            break;
        case 1:
            disc.doorMoved(true);
            disc.doorMoved(false);
            break;
        default:
            break; // the next start seeks
        }
        QCoreApplication::processEvents();
    }
    disc.halt();
    std::printf("%d start/stop/seek cycles in %.1f s, %d positions that went back\n", cycles,
                wall.elapsed() / 1000.0, backwards);
    return backwards == 0 ? 0 : 1;
}
