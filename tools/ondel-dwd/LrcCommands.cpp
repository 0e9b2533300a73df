// lrc and import: a DWD file out to LRC, an LRC file in as a script (and a DWD file).

#include "TimeText.h"
#include "ToolCommands.h"
#include "ToolFiles.h"
#include "ToolOutput.h"
#include "lyrics/format/CaptureFile.h"
#include "lyrics/format/CaptureMessages.h"
#include "lyrics/format/DwdCapture.h"
#include "lyrics/format/LrcExport.h"
#include "lyrics/format/LrcImport.h"

#include <QFile>

using namespace ToolOutput;

namespace {

// Times the script at the given positions into the capture's working file
// for outName, as the compiler window would have with key presses there. The
// caller finishes or abandons the capture. On failure: why, as a message.
std::optional<QString> compileAt(const QByteArray& script, const QList<TrackPosition>& times,
                                 DwdCapture& capture, const QString& outName)
{
    capture.setScript(script);
    switch (capture.begin(outName)) {
    case DwdCapture::Start::OpenFailed:
        return CaptureMessages::openFailed();
    case DwdCapture::Start::HeaderFailed:
        return CaptureMessages::headerFailed();
    case DwdCapture::Start::Started:
        break;
    }
    qint32 lineBreaks = 0;
    for (qsizetype i = 0; i < times.size(); ++i) {
        const DwdCapture::Press press = capture.press(times[i], lineBreaks);
        if (press.outcome != DwdCapture::Outcome::Written) {
            return press.outcome == DwdCapture::Outcome::WriteFailed
                       ? CaptureMessages::recordFailed()
                       : QStringLiteral("piece %1 of the script cannot be timed: %2")
                             .arg(i + 1)
                             .arg(press.error);
        }
        if (press.endOfScript != (i + 1 == times.size())) {
            return QStringLiteral("the script has another number of pieces than the LRC has times");
        }
    }
    return std::nullopt;
}

} // namespace

int ToolCommands::lrc(const QStringList& args)
{
    QStringList positional;
    bool enhanced = false;
    for (const QString& arg : args) {
        if (arg == QLatin1String("--enhanced")) {
            enhanced = true;
        }
        else {
            positional << arg;
        }
    }
    if (positional.size() != 1) {
        return usage(QStringLiteral("lrc takes one FILE and optionally --enhanced"));
    }
    QFile file;
    if (!ToolFiles::openChecked(file, positional[0])) {
        return 1;
    }

    writeOut(LrcExport::lines(LrcExport::readPieces(file), enhanced));
    return 0;
}

int ToolCommands::import(const QStringList& args)
{
    QStringList positional;
    QString scriptName;
    QString dwdName;
    LrcImport::Options options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--skip-unencodable")) {
            options.skipUnencodable = true;
            continue;
        }
        const bool takesValue = arg == QLatin1String("-o") || arg == QLatin1String("--dwd") ||
                                arg == QLatin1String("--track-length") ||
                                arg == QLatin1String("--lines-per-page");
        if (!takesValue) {
            positional << arg;
            continue;
        }
        if (i + 1 >= args.size()) {
            return usage(QStringLiteral("%1 needs a value").arg(arg));
        }
        const QString value = args[++i];
        if (arg == QLatin1String("-o")) {
            scriptName = value;
        }
        else if (arg == QLatin1String("--dwd")) {
            dwdName = value;
        }
        else if (arg == QLatin1String("--track-length")) {
            options.trackLength = TimeText::parseLength(value);
            if (!options.trackLength) {
                return usage(QStringLiteral("--track-length takes M:SS, not '%1'").arg(value));
            }
        }
        else {
            bool ok = false;
            options.linesPerPage = value.toInt(&ok);
            if (!ok || options.linesPerPage < 0) {
                return usage(QStringLiteral("--lines-per-page takes a number of lines, not '%1'").arg(value));
            }
        }
    }
    if (positional.size() != 1 || scriptName.isEmpty()) {
        return usage(QStringLiteral("import takes FILE.lrc -o SCRIPT"));
    }
    const std::optional<QByteArray> lrc = ToolFiles::readWholeFile(positional[0]);
    if (!lrc) {
        return 1;
    }
    const LrcImport::Result result = LrcImport::convert(*lrc, options);
    for (const LrcImport::Note& note : result.warnings) {
        writeErr(QStringLiteral("ondel-dwd: warning: %1 line %2: %3\n")
                     .arg(positional[0])
                     .arg(note.line)
                     .arg(note.text));
    }
    for (const LrcImport::Note& note : result.errors) {
        writeErr(
            QStringLiteral("ondel-dwd: %1 line %2: %3\n").arg(positional[0]).arg(note.line).arg(note.text));
    }
    if (!result.ok()) {
        writeErr(QStringLiteral("ondel-dwd: nothing written\n"));
        return 1;
    }
    if (result.times.isEmpty()) {
        writeErr(QStringLiteral("ondel-dwd: %1 holds no timed lyrics; nothing written\n").arg(positional[0]));
        return 1;
    }

    // Both files are written in full or not at all: the DWD is timed into its
    // working file and put in place only once the script is written.
    CaptureFile storage;
    DwdCapture capture(storage);
    if (!dwdName.isEmpty()) {
        if (const std::optional<QString> why = compileAt(result.script, result.times, capture, dwdName)) {
            capture.abandon();
            writeErr(QStringLiteral("ondel-dwd: %1: %2\n").arg(dwdName, *why));
            return 1;
        }
    }
    if (!ToolFiles::saveWhole(scriptName, result.script)) {
        if (capture.running())
            capture.abandon();
        return 1;
    }
    if (!dwdName.isEmpty() && !capture.finish()) {
        capture.abandon();
        writeErr(QStringLiteral("ondel-dwd: %1: %2\n").arg(dwdName, CaptureMessages::headerFailed()));
        return 1;
    }
    return 0;
}
