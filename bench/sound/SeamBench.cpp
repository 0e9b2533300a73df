// The longest silence at the track boundaries of a disc played through in
// normal play, heard at a private PulseAudio null sink's monitor: on a cue
// sheet over one file, a cue sheet over one file per track and a folder of
// files. The player's answer to every track change (a play of the track the
// disc entered) is made as the playback monitor makes it.
//
//   ondel-bench-seams [TRACKS] [SECONDS]
//
// Needs pulseaudio and parec. Every sample played names itself, so the
// recording also tells whether each track was heard whole and in order.

#include "PulseServer.h"
#include "TrackBoundaries.h"
#include "platform/Clock.h"
#include "platform/cdaudio/DeviceSession.h"
#include "platform/cdaudio/ImageDisc.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdio>

using namespace TrackBoundaries;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int tracks = args.size() > 1 ? std::max(2, args[1].toInt()) : 3;
    const int seconds = args.size() > 2 ? std::max(1, args[2].toInt()) : 4;
    QTemporaryDir dir;
    PulseServer server(dir.path());
    if (!dir.isValid() || !server.start()) {
        std::fprintf(stderr, "cannot start a private PulseAudio server\n");
        return 1;
    }
    // Uneven lengths: a folder's files end part-way through a frame.
    std::vector<qint64> lengths;
    for (int t = 0; t < tracks; ++t)
        lengths.push_back(qint64(seconds) * Rate + 37 * t + 101);
    SteadyClock clock;
    int failures = 0;
    std::printf("%d tracks of about %d s each\n", tracks, seconds);
    for (DiscKind kind : {DiscKind::SingleFileCue, DiscKind::MultiFileCue, DiscKind::Folder}) {
        const QString disc = writeDisc(dir.filePath(QString::fromLatin1(kindName(kind))), kind, lengths);
        DeviceSession device(std::make_unique<ImageDisc>(disc, clock));
        ask(device, "open cdaudio");
        MonitorRecording recording(QStringLiteral("ondel_test"), dir.filePath(QStringLiteral("heard.raw")));
        if (disc.isEmpty() || !recording.started()) {
            std::fprintf(stderr, "cannot lay out or record the %s disc\n", kindName(kind));
            return 1;
        }
        playThrough(device);
        const Seams seams = seamsOf(recording.finish());
        qint64 total = 0;
        for (qint64 length : lengths)
            total += kind == DiscKind::Folder ? length : length - length % CdFrames::SamplesPerFrame;
        const bool whole = seams.whole(total);
        if (!whole || seams.longestSilenceMs() > 5.0)
            ++failures;
        std::printf("%-16s longest silence %7.1f ms  %d jump(s)  heard %lld of %lld samples  %s\n",
                    kindName(kind), seams.longestSilenceMs(), seams.jumps,
                    static_cast<long long>(seams.heard), static_cast<long long>(total),
                    whole ? "every track whole" : "NOT WHOLE");
    }
    return failures == 0 ? 0 : 1;
}
