// The waveform and onset analysis of a five-minute track, run by hand:
// build/bench/analysis/bench_track_analysis [SECONDS [METHOD]]
// Prints how many times faster than real time it ran on one core and the
// memory the result and the whole process hold.

#include "GeneratedMusic.h"
#include "analysis/TrackAnalysis.h"
#include "analysis/TrackReader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

namespace {
long residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 300;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("song.wav"));
    {
        GeneratedSong song = GeneratedMusic::sung(seconds, 1);
        const GeneratedSong drums = GeneratedMusic::drums(seconds, 2);
        for (size_t i = 0; i < song.samples.size(); ++i)
            song.samples[i] = 0.6f * song.samples[i] + 0.4f * drums.samples[i];
        GeneratedMusic::addNoise(song, -40, 3);
        if (!GeneratedMusic::writeWav(song, path))
            return 1;
    }
    const long before = residentKb();
    OnsetSettings settings;
    if (argc > 2)
        settings.method = QString::fromLocal8Bit(argv[2]);

    TrackReader::Opened opened = TrackReader::open(path, 1);
    if (!opened.reader)
        return 1;
    QElapsedTimer wall;
    wall.start();
    const std::clock_t cpuStart = std::clock();
    const TrackAnalysis::Result result = TrackAnalysis::analyze(*opened.reader, settings);
    const double cpu = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    const double elapsed = wall.nsecsElapsed() / 1e9;
    if (!result.analysis)
        return 1;
    std::printf("%.0f s of audio: %.2f s wall, %.2f s cpu (one thread): %.0fx real time\n", seconds, elapsed,
                cpu, seconds / cpu);
    std::printf("%zu onsets; waveform summary %.1f MB, onsets %.1f kB\n", result.analysis->onsets.size(),
                result.analysis->peaks.memoryBytes() / 1e6, result.analysis->onsets.size() * 8 / 1e3);
    std::printf("resident memory: %ld kB before the analysis, %ld kB with its result\n", before,
                residentKb());
    return 0;
}
