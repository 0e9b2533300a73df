// compile: a script timed at a list of positions, into the DWD file the
// compiler window writes for key presses there.

#include "TimeText.h"
#include "ToolCommands.h"
#include "ToolFiles.h"
#include "ToolOutput.h"
#include "lyrics/format/CaptureFile.h"
#include "lyrics/format/CaptureMessages.h"
#include "lyrics/format/DwdCapture.h"

#include <QList>

using namespace ToolOutput;

int ToolCommands::compile(const QStringList& args)
{
    QStringList positional;
    QString outName;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("-o")) {
            if (i + 1 >= args.size()) {
                return usage(QStringLiteral("-o needs a file name"));
            }
            outName = args[++i];
        }
        else {
            positional << args[i];
        }
    }
    if (positional.size() != 2 || outName.isEmpty()) {
        return usage(QStringLiteral("compile takes SCRIPT TIMES -o OUT"));
    }
    const std::optional<QByteArray> script = ToolFiles::readWholeFile(positional[0]);
    const std::optional<QByteArray> timesText =
        script ? ToolFiles::readWholeFile(positional[1]) : std::nullopt;
    if (!script || !timesText) {
        return 1;
    }
    QList<TrackPosition> times;
    const QList<QByteArray> lines = timesText->split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = QString::fromUtf8(lines[i]).trimmed();
        if (line.isEmpty()) {
            continue;
        }
        const std::optional<TrackPosition> time = TimeText::parsePosition(line);
        if (!time) {
            writeErr(QStringLiteral("ondel-dwd: %1 line %2: '%3' is not a position m:ss:ff "
                                    "(seconds 0-59, frames 0-74)\n")
                         .arg(positional[1])
                         .arg(i + 1)
                         .arg(line));
            return 1;
        }
        times << *time;
    }

    // An existing OUT stays as it is until the new file is complete.
    CaptureFile out;
    DwdCapture capture(out);
    capture.setScript(*script);
    switch (capture.begin(outName)) {
    case DwdCapture::Start::OpenFailed:
        writeErr(QStringLiteral("ondel-dwd: %1: %2\n").arg(outName, CaptureMessages::openFailed()));
        return 1;
    case DwdCapture::Start::HeaderFailed:
        writeErr(QStringLiteral("ondel-dwd: %1: %2\n").arg(outName, CaptureMessages::headerFailed()));
        return 1;
    case DwdCapture::Start::Started:
        break;
    }
    qint32 lineBreaks = 0;
    for (qsizetype i = 0; i < times.size(); ++i) {
        const DwdCapture::Press press = capture.press(times[i], lineBreaks);
        if (press.outcome == DwdCapture::Outcome::SyntaxError) {
            capture.abandon();
            writeErr(QStringLiteral("ondel-dwd: key press %1: %2\n").arg(i + 1).arg(press.error));
            return 1;
        }
        if (press.outcome == DwdCapture::Outcome::WriteFailed) {
            capture.abandon();
            writeErr(QStringLiteral("ondel-dwd: %1: %2\n").arg(outName, CaptureMessages::recordFailed()));
            return 1;
        }
        if (press.endOfScript && i + 1 < times.size()) {
            writeErr(QStringLiteral("ondel-dwd: warning: the script ends at key press %1; "
                                    "%2 later time(s) ignored\n")
                         .arg(i + 1)
                         .arg(times.size() - i - 1));
            break;
        }
    }
    if (!capture.finish()) {
        writeErr(QStringLiteral("ondel-dwd: %1: %2 The pieces are in %3\n")
                     .arg(outName, CaptureMessages::headerFailed(), out.workingName()));
        return 1;
    }
    return 0;
}
