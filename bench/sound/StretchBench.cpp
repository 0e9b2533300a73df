// How much of a core slowing a take down costs: stretches a minute of
// synthetic music (a chord with a beat) at several speeds in the reader
// thread's 8-frame chunks and prints the real-time factor, that is how many
// seconds of slowed audio one second of one core makes.
//
//   build/bench/sound/ondel-bench-stretch [SECONDS]
#include "platform/cdaudio/TimeStretch.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QtEndian>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {
constexpr int Rate = 44100;

QByteArray music(int seconds)
{
    QByteArray pcm(qsizetype(seconds) * Rate * 4, '\0');
    for (qsizetype i = 0; i < qsizetype(seconds) * Rate; ++i) {
        const double t = double(i) / Rate;
        const double beat = std::exp(-8 * std::fmod(t, 0.5));
        const double v =
            0.25 *
            (std::sin(2 * M_PI * 220 * t) + std::sin(2 * M_PI * 277.2 * t) + std::sin(2 * M_PI * 329.6 * t)) *
            (0.5 + 0.5 * beat);
        const auto s = qint16(std::lrint(v * 20000));
        qToLittleEndian(s, pcm.data() + i * 4);
        qToLittleEndian(qint16(s / 2), pcm.data() + i * 4 + 2);
    }
    return pcm;
}
} // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    const QByteArray input = music(seconds);
    constexpr qsizetype Chunk = 8 * 2352;
    std::printf("%d s of stereo audio in %lld-byte chunks\n", seconds, static_cast<long long>(Chunk));
    std::printf("speed  output s  cpu ms  x real time  chunk max us\n");
    for (int percent : {90, 75, 60, 50}) {
        TimeStretch stretch(percent);
        QByteArray out;
        QElapsedTimer whole, chunk;
        qint64 worstNs = 0;
        whole.start();
        for (qsizetype at = 0; at < input.size(); at += Chunk) {
            chunk.start();
            out.clear();
            stretch.put(input.constData() + at, std::min(Chunk, input.size() - at), out);
            worstNs = std::max(worstNs, chunk.nsecsElapsed());
        }
        out.clear();
        stretch.finish(out);
        const double ms = double(whole.nsecsElapsed()) / 1e6;
        const double outSeconds =
            double(TimeStretch::outputSamplesFor(qint64(seconds) * Rate, percent)) / Rate;
        std::printf("%4d %%  %8.1f  %6.0f  %11.0f  %12lld\n", percent, outSeconds, ms, outSeconds * 1000 / ms,
                    static_cast<long long>(worstNs / 1000));
    }
    return 0;
}
