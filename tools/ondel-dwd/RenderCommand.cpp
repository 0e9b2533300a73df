// render: the lyrics window's picture at a moment of the track.

#include "TimeText.h"
#include "ToolCommands.h"
#include "ToolFiles.h"
#include "ToolOutput.h"
#include "lyrics/LyricsPreview.h"

#include <QBuffer>
#include <QFile>

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
    // Refused as dump refuses it, before any drawing starts.
    QFile checked;
    if (!ToolFiles::openChecked(checked, positional[0])) {
        return 1;
    }
    LyricsPreview preview;
    preview.setWipe(wipe);
    QString error;
    if (!preview.open(positional[0], error)) {
        writeErr(QStringLiteral("ondel-dwd: %1: %2\n").arg(positional[0], error));
        return 1;
    }
    preview.runTo(*at, redraws);

    // The picture is made whole in memory first; the file is written in one step.
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !preview.image().save(&buffer, "PNG")) {
        writeErr(QStringLiteral("ondel-dwd: cannot make the picture for %1\n").arg(outName));
        return 1;
    }
    return ToolFiles::saveWhole(outName, png) ? 0 : 1;
}
