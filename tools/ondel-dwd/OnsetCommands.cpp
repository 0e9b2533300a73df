// onsets and snap: a track's note onsets, and a DWD file's pieces moved onto them.

#include "ToolCommands.h"
#include "ToolFiles.h"
#include "ToolOutput.h"
#include "analysis/OnsetSnap.h"
#include "analysis/TrackAnalysis.h"
#include "analysis/TrackReader.h"
#include "lyrics/format/DwdRecordSpans.h"
#include "lyrics/format/DwdRetime.h"
#include "lyrics/format/DwdTimeShift.h"

#include <QFile>
#include <cmath>

using namespace ToolOutput;

namespace {

struct Options {
    QStringList positional;
    QString outName;
    QString audio;
    QString disc;
    int track = 0;
    int windowMs = 80;
    OnsetSettings settings;
};

// The options both commands know; nullopt after a usage message.
std::optional<Options> parseOptions(const QStringList& args)
{
    Options options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool takesValue = arg == QLatin1String("-o") || arg == QLatin1String("--track") ||
                                arg == QLatin1String("--method") || arg == QLatin1String("--threshold") ||
                                arg == QLatin1String("--window") || arg == QLatin1String("--audio") ||
                                arg == QLatin1String("--disc");
        if (!takesValue) {
            if (arg.startsWith(QLatin1String("--"))) {
                usage(QStringLiteral("unknown option %1").arg(arg));
                return std::nullopt;
            }
            options.positional << arg;
            continue;
        }
        if (i + 1 >= args.size()) {
            usage(QStringLiteral("%1 needs a value").arg(arg));
            return std::nullopt;
        }
        const QString value = args[++i];
        bool ok = true;
        if (arg == QLatin1String("-o")) {
            options.outName = value;
        }
        else if (arg == QLatin1String("--audio")) {
            options.audio = value;
        }
        else if (arg == QLatin1String("--disc")) {
            options.disc = value;
        }
        else if (arg == QLatin1String("--method")) {
            options.settings.method = value;
        }
        else if (arg == QLatin1String("--track")) {
            options.track = value.toInt(&ok);
            ok = ok && options.track >= 1 && options.track <= 99;
        }
        else if (arg == QLatin1String("--window")) {
            options.windowMs = value.toInt(&ok);
            ok = ok && options.windowMs >= 0 && options.windowMs <= 1000;
        }
        else {
            options.settings.threshold = value.toFloat(&ok);
            ok = ok && std::isfinite(options.settings.threshold);
        }
        if (!ok) {
            usage(QStringLiteral("%1 %2 is not a valid value").arg(arg, value));
            return std::nullopt;
        }
    }
    return options;
}

// The analysis of one track, said on standard error when it fails.
std::shared_ptr<const TrackAnalysis> analyse(const QString& image, int track, const OnsetSettings& settings)
{
    TrackReader::Opened opened = TrackReader::open(image, track);
    if (!opened.reader) {
        writeErr(QStringLiteral("ondel-dwd: %1\n").arg(opened.error));
        return nullptr;
    }
    const TrackAnalysis::Result result = TrackAnalysis::analyze(*opened.reader, settings);
    if (!result.analysis)
        writeErr(QStringLiteral("ondel-dwd: %1: %2\n").arg(image, result.error));
    return result.analysis;
}

QString formatFrame(int frames)
{
    return QStringLiteral("%1:%2:%3")
        .arg(frames / CdFrames::PerMinute)
        .arg(frames / CdFrames::PerSecond % 60, 2, 10, QLatin1Char('0'))
        .arg(frames % CdFrames::PerSecond, 2, 10, QLatin1Char('0'));
}

} // namespace

int ToolCommands::onsets(const QStringList& args)
{
    const std::optional<Options> options = parseOptions(args);
    if (!options) {
        return 2;
    }
    if (options->positional.size() != 1 || !options->outName.isEmpty() || !options->audio.isEmpty() ||
        !options->disc.isEmpty()) {
        return usage(QStringLiteral("onsets takes AUDIO|CUE [--track N] [--method NAME] [--threshold X]"));
    }
    const auto analysis = analyse(options->positional[0], std::max(1, options->track), options->settings);
    if (!analysis) {
        return 1;
    }
    QString text;
    for (const qint64 onset : analysis->onsets) {
        const int frame = int((onset + OnsetSnap::SamplesPerFrame / 2) / OnsetSnap::SamplesPerFrame);
        text += QStringLiteral("%1\t%2\n").arg(formatFrame(frame)).arg((onset * 1000 + 22050) / 44100);
    }
    writeOut(text);
    return 0;
}

int ToolCommands::snap(const QStringList& args)
{
    const std::optional<Options> options = parseOptions(args);
    if (!options) {
        return 2;
    }
    const bool fromAudio = !options->audio.isEmpty() && options->disc.isEmpty() && options->track == 0;
    const bool fromDisc = options->audio.isEmpty() && !options->disc.isEmpty() && options->track > 0;
    if (options->positional.size() != 1 || options->outName.isEmpty() || !(fromAudio || fromDisc)) {
        return usage(
            QStringLiteral("snap takes FILE.dwd (--audio AUDIO | --disc CUE --track N) [--window MS] "
                           "-o OUT.dwd"));
    }
    const QString fileName = options->positional[0];
    QFile file;
    if (!ToolFiles::openChecked(file, fileName)) {
        return 1;
    }
    file.seek(0);
    const QByteArray bytes = file.readAll();
    const auto analysis = analyse(fromAudio ? options->audio : options->disc, fromAudio ? 1 : options->track,
                                  options->settings);
    if (!analysis) {
        return 1;
    }
    const QList<DwdRecordSpan> records = DwdRecordSpans::wholeRecords(bytes);
    const QList<int> frames = DwdRetime::pieceFrames(bytes);
    std::vector<OnsetSnap::Piece> pieces;
    int withText = 0;
    for (qsizetype i = 0; i < records.size(); ++i) {
        const bool hasText = DwdTimeShift::showsText(records[i].record.text);
        withText += hasText ? 1 : 0;
        pieces.push_back({frames[i], hasText});
    }
    const std::vector<int> snapped = OnsetSnap::snapAll(pieces, analysis->onsets, options->windowMs);
    int moved = 0;
    for (size_t i = 0; i < snapped.size(); ++i)
        moved += snapped[i] != frames[qsizetype(i)] ? 1 : 0;
    if (!ToolFiles::saveWhole(options->outName,
                              DwdRetime::retime(bytes, QList<int>(snapped.begin(), snapped.end())))) {
        return 1;
    }
    writeOut(QStringLiteral("%1 of %2 piece(s) with text moved onto an onset (%3 onset(s) found)\n")
                 .arg(moved)
                 .arg(withText)
                 .arg(analysis->onsets.size()));
    return 0;
}
