// render: the lyrics window's picture at a moment of the track.

#include "TimeText.h"
#include "ToolCommands.h"
#include "ToolFiles.h"
#include "ToolOutput.h"
#include "lyrics/LyricsPreview.h"

#include <QSaveFile>

using namespace ToolOutput;

int ToolCommands::render(const QStringList& args)
{
    QStringList positional;
    QString outName;
    std::optional<TrackPosition> at;
    QList<TrackPosition> redraws;
    bool wipe = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("-o") || arg == QLatin1String("--at") ||
            arg == QLatin1String("--redraw-at")) {
            if (i + 1 >= args.size()) {
                return usage(QStringLiteral("%1 needs a value").arg(arg));
            }
            const QString value = args[++i];
            if (arg == QLatin1String("-o")) {
                outName = value;
                continue;
            }
            const std::optional<TrackPosition> time = TimeText::parsePosition(value);
            if (!time) {
                return usage(
                    QStringLiteral("'%1' is not a position m:ss:ff (seconds 0-59, frames 0-74)").arg(value));
            }
            if (arg == QLatin1String("--at")) {
                at = time;
            }
            else {
                redraws << *time;
            }
        }
        else if (arg == QLatin1String("--wipe")) {
            wipe = true;
        }
        else {
            positional << arg;
        }
    }
    if (positional.size() != 1 || !at || outName.isEmpty()) {
        return usage(
            QStringLiteral("render takes FILE --at M:SS:FF [--redraw-at M:SS:FF]... [--wipe] -o OUT.png"));
    }
    LyricsPreview preview;
    preview.setWipe(wipe);
    QString error;
    if (!preview.open(positional[0], error)) {
        writeErr(QStringLiteral("ondel-dwd: %1: %2\n").arg(positional[0], error));
        return 1;
    }
    preview.runTo(*at, redraws);

    QSaveFile out(outName);
    if (!out.open(QIODevice::WriteOnly) || !preview.image().save(&out, "PNG") || !out.commit()) {
        writeErr(QStringLiteral("ondel-dwd: cannot write %1: %2\n").arg(outName, out.errorString()));
        return 1;
    }
    return 0;
}
