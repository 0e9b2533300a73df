// ondel-dwd: looks into lyrics scripts and DWD files from the command line,
// and compiles a script against a list of key press times, through the same
// code as the compiler window and the player.

#include "compile/CaptureFile.h"
#include "compile/DwdCapture.h"
#include "compile/DwdCompiler.h"
#include "compile/DwdWriter.h"
#include "compile/LrcExport.h"
#include "compile/LrcImport.h"
#include "compile/ScriptReader.h"
#include "core/DwdReader.h"
#include "lyrics/ImageCanvas.h"
#include "platform/ShiftJis.h"
#include "player/LyricsPreview.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringList>
#include <QtEndian>
#include <cstdio>
#include <memory>
#include <optional>

namespace {

const char* const HelpText = R"(Usage: ondel-dwd COMMAND ARGUMENTS

Lyrics scripts are Shift-JIS text with CR LF line breaks and commands such as
[/fontsize(20)] and [/clear]; each timing key press takes the next piece.
Everything written is UTF-8 unless it is the bytes of a script or a file.

  ondel-dwd pieces SCRIPT
      One line per timing key press, in order:
        piece<TAB>command block in hex<TAB>piece bytes in hex<TAB>more|end
      "end" marks the press that uses up the script (the last line). On a
      syntax error the last line is error<TAB>message (line breaks as \n) and
      the exit status is 1.

  ondel-dwd preview SCRIPT
      The preview text (commands removed, brackets resolved) as the script's
      bytes. On a syntax error: the message on standard error, the text built
      so far on standard output, exit status 1.

  ondel-dwd compile SCRIPT TIMES -o OUT
      Writes the DWD file that the compiler window writes for key presses at
      the positions in TIMES (one m:ss:ff per line: minutes, seconds, frames
      within the track, 75 frames a second), ended as by End. Fewer times than
      pieces give the shorter file; times after the end of the script are
      ignored with a warning. OUT is replaced only by a complete new file: on
      a syntax error or a failed write an existing OUT stays as it was (exit
      status 1). While it runs the file is written as OUT's working file
      (song.dwd is written as song.capture.dwd), like the compiler window's.

  ondel-dwd repair FILE -o OUT
      Writes to OUT every whole record of FILE, a DWD file cut short anywhere
      (a timing capture killed by a crash or a power cut, a broken copy), with
      the header's size set right. The size FILE's header gives is not looked
      at. Says on standard error how many records were kept and how many bytes
      of a broken last record were dropped.

  ondel-dwd shift FILE MS -o OUT
      Moves every piece of FILE by MS milliseconds (negative: earlier, "+" or
      no sign: later), to the nearest frame. Pieces that show no text (only
      commands, spaces or line breaks) that would move before the start of
      the track are put at 0:00:00; a piece with text that would have to is
      refused with its number and time (exit status 1), so the timing of what
      is sung never changes shape.

  ondel-dwd dump FILE
      The header, then one line per record: number, absolute time, delta,
      commands with their arguments, text (line breaks shown as ⏎). A file
      the player would refuse is refused with the player's message.

  ondel-dwd lrc FILE [--enhanced]
      The lyrics as LRC: one timed line per script line, timed by its first
      piece; with --enhanced a <mm:ss.xx> stamp before every piece. A piece
      with "clear" or "pausepre" starts a new line. Times are rounded to the
      nearest hundredth of a second.

  ondel-dwd import FILE.lrc -o SCRIPT [--dwd OUT] [--track-length M:SS] [--lines-per-page N]
      Turns an LRC file (UTF-8 or Shift-JIS; [mm:ss.xx], [mm:ss:xx] or
      [mm:ss] stamps, several on a line, <mm:ss.xx> word stamps, tags,
      [offset:]) into a lyrics script: one line per timed LRC line in time
      order, a [/clear] every N lines (default 2, 0 for none). With --dwd
      also the DWD file timed as the LRC: a line-timed line is one piece, an
      enhanced line one piece per word. Lines without a time are left out
      with a warning; --track-length warns about times past the track's end.
      Characters Shift-JIS cannot hold are listed with their lines and
      nothing is written (exit status 1).

  ondel-dwd render FILE --at M:SS:FF [--redraw-at M:SS:FF]... -o OUT.png
      The picture the lyrics window shows at that time within the track when
      the track plays from its start (a 435 x 300 client area, which the
      file's formsize changes as in the window), drawn by the player's own
      code. Each --redraw-at forces a full redraw at that time, as clicking
      the window does; it changes nothing in the picture. A file the player
      would refuse is refused with the player's message.

  ondel-dwd -h, --help
      Show the commands and exit.

  ondel-dwd -v, --version
      Show the version and exit.

Exit status: 0 success, 1 a failure described on standard error, 2 bad usage.
)";

void writeTo(std::FILE* stream, QByteArrayView bytes)
{
    // An empty view may have no data pointer at all, which fwrite must not get.
    if (!bytes.isEmpty())
        std::fwrite(bytes.data(), 1, size_t(bytes.size()), stream);
}

void writeBytes(QByteArrayView bytes)
{
    writeTo(stdout, bytes);
}

void writeOut(const QString& text)
{
    writeBytes(text.toUtf8());
}

void writeErr(const QString& text)
{
    writeTo(stderr, text.toUtf8());
}

int usage(const QString& problem)
{
    writeErr(QStringLiteral("ondel-dwd: %1\nTry 'ondel-dwd --help'.\n").arg(problem));
    return 2;
}

std::optional<QByteArray> readWholeFile(const QString& name)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly)) {
        writeErr(QStringLiteral("ondel-dwd: cannot read %1: %2\n").arg(name, file.errorString()));
        return std::nullopt;
    }
    return file.readAll();
}

QString escapeLineBreaks(QString text)
{
    return text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
}

QString formatTime(const TrackPosition& time)
{
    return QStringLiteral("%1:%2:%3")
        .arg(time.minutes)
        .arg(time.seconds, 2, 10, QLatin1Char('0'))
        .arg(time.frames, 2, 10, QLatin1Char('0'));
}

// A piece's text on one line of a terminal.
QString displayText(QByteArrayView bytes)
{
    QString text = ShiftJis::decode(bytes);
    text.replace(QLatin1String("\r\n"), QStringLiteral("⏎"));
    text.replace(QLatin1Char('\r'), QStringLiteral("⏎"));
    text.replace(QLatin1Char('\n'), QStringLiteral("⏎"));
    text.replace(QLatin1Char('\t'), QStringLiteral("⇥"));
    return text;
}

QString formatCommand(const DwdCommand& command)
{
    const char* name = DwdCode::name(command.code);
    QString text = name ? QString::fromLatin1(name) : QStringLiteral("code%1").arg(command.code);
    const int wanted = DwdCode::argumentCount(command.code);
    if (wanted == 0) {
        return text;
    }
    QStringList arguments;
    for (int a = 0; a < wanted; ++a) {
        arguments << QString::number(command.args[size_t(a)]);
    }
    if (!command.complete) {
        return text + QStringLiteral("(cut short)");
    }
    return text + QLatin1Char('(') + arguments.join(QLatin1Char(',')) + QLatin1Char(')');
}

QString describeCut(DwdReader::RecordEnd end)
{
    switch (end) {
    case DwdReader::RecordEnd::Complete:
        return {};
    case DwdReader::RecordEnd::InTimeDelta:
        return QStringLiteral("the file ends inside a time delta");
    case DwdReader::RecordEnd::AtCommandCount:
        return QStringLiteral("the file ends before the command count");
    case DwdReader::RecordEnd::AtCommandCode:
        return QStringLiteral("the file ends before a command code");
    case DwdReader::RecordEnd::InCommandArguments:
        return QStringLiteral("the file ends inside a command's arguments");
    case DwdReader::RecordEnd::AtTextLength:
        return QStringLiteral("the file ends before the text length");
    case DwdReader::RecordEnd::InText:
        return QStringLiteral("the file ends inside the text");
    }
    return {};
}

int piecesCommand(const QStringList& args)
{
    if (args.size() != 1) {
        return usage(QStringLiteral("pieces takes one SCRIPT"));
    }
    const std::optional<QByteArray> script = readWholeFile(args[0]);
    if (!script) {
        return 1;
    }
    qsizetype position = 0;
    qint32 lineBreaks = 0;
    for (;;) {
        const ScriptReader::Piece piece = ScriptReader::takePiece(*script, position, lineBreaks);
        if (!piece.ok()) {
            writeOut(QStringLiteral("error\t%1\n").arg(escapeLineBreaks(piece.error)));
            return 1;
        }
        writeBytes(QByteArray("piece\t") + piece.commands.view().toByteArray().toHex() + '\t' +
                   piece.text.toHex() + '\t' + (piece.endOfScript ? "end" : "more") + '\n');
        if (piece.endOfScript) {
            return 0;
        }
        position = piece.position;
    }
}

int previewCommand(const QStringList& args)
{
    if (args.size() != 1) {
        return usage(QStringLiteral("preview takes one SCRIPT"));
    }
    const std::optional<QByteArray> script = readWholeFile(args[0]);
    if (!script) {
        return 1;
    }
    const ScriptReader::Preview preview = ScriptReader::buildPreviewText(*script);
    writeBytes(preview.text);
    if (!preview.error.isEmpty()) {
        writeErr(preview.error + QLatin1Char('\n'));
        return 1;
    }
    return 0;
}

// "m:ss:ff" within the track.
std::optional<TrackPosition> parseTime(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() != 3) {
        return std::nullopt;
    }
    bool okMinutes = false, okSeconds = false, okFrames = false;
    const int minutes = parts[0].toInt(&okMinutes);
    const int seconds = parts[1].toInt(&okSeconds);
    const int frames = parts[2].toInt(&okFrames);
    if (!okMinutes || !okSeconds || !okFrames || parts[1].size() > 2 || parts[2].size() > 2 || minutes < 0 ||
        minutes > 32767 || seconds < 0 || seconds > 59 || frames < 0 || frames > 74 ||
        parts[0].startsWith(QLatin1Char('+')) || parts[1].startsWith(QLatin1Char('+')) ||
        parts[2].startsWith(QLatin1Char('+'))) {
        return std::nullopt;
    }
    return TrackPosition{qint16(minutes), qint16(seconds), qint16(frames)};
}

int compileCommand(const QStringList& args)
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
    const std::optional<QByteArray> script = readWholeFile(positional[0]);
    const std::optional<QByteArray> timesText = script ? readWholeFile(positional[1]) : std::nullopt;
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
        const std::optional<TrackPosition> time = parseTime(line);
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
        writeErr(QStringLiteral("ondel-dwd: %1: %2\n").arg(outName, DwdCompiler::openFailedMessage()));
        return 1;
    case DwdCapture::Start::HeaderFailed:
        writeErr(QStringLiteral("ondel-dwd: %1: %2\n").arg(outName, DwdCompiler::headerFailedMessage()));
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
            writeErr(QStringLiteral("ondel-dwd: %1: %2\n").arg(outName, DwdCompiler::recordFailedMessage()));
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
                     .arg(outName, DwdCompiler::headerFailedMessage(), out.workingName()));
        return 1;
    }
    return 0;
}

// Opens a DWD file and makes the player's checks; on success the file stands
// at the first record.
bool openChecked(QFile& file)
{
    if (!file.open(QIODevice::ReadOnly)) {
        writeErr(QStringLiteral("ondel-dwd: cannot read %1: %2\n").arg(file.fileName(), file.errorString()));
        return false;
    }
    const DwdReader::FileCheck check = DwdReader::checkFile(file);
    if (check != DwdReader::FileCheck::Valid) {
        writeErr(QStringLiteral("ondel-dwd: %1: %2\n").arg(file.fileName(), DwdReader::checkMessage(check)));
        return false;
    }
    return true;
}

int dumpCommand(const QStringList& args)
{
    if (args.size() != 1) {
        return usage(QStringLiteral("dump takes one FILE"));
    }
    QFile file(args[0]);
    if (!openChecked(file)) {
        return 1;
    }
    file.seek(0);
    const DwdReader::Header header = DwdReader::readHeader(file);
    writeOut(QStringLiteral("DWD\treserved %1\tsize %2\n").arg(header.reserved).arg(header.fileSize));

    TrackPosition time;
    for (int number = 1;; ++number) {
        const qint64 start = file.pos();
        const DwdReader::Record record = DwdReader::readRecord(file);
        if (!record.hasDelta()) {
            if (file.size() > start) {
                writeOut(QStringLiteral("%1\t%2 trailing byte(s): %3\n")
                             .arg(number)
                             .arg(file.size() - start)
                             .arg(describeCut(record.end)));
            }
            return 0;
        }
        TrackPosition::addDelta(time, record.delta);
        QStringList commands;
        for (const DwdCommand& command : record.commands) {
            commands << formatCommand(command);
        }
        QString text = record.complete() ? displayText(record.text)
                                         : QStringLiteral("[%1]").arg(describeCut(record.end));
        writeOut(QStringLiteral("%1\t%2\t%3\t%4\t%5\n")
                     .arg(number)
                     .arg(formatTime(time), formatTime(record.delta), commands.join(QLatin1Char(' ')), text));
        if (!record.complete()) {
            return 0;
        }
    }
}

int renderCommand(const QStringList& args)
{
    QStringList positional;
    QString outName;
    std::optional<TrackPosition> at;
    QList<TrackPosition> redraws;
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
            const std::optional<TrackPosition> time = parseTime(value);
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
        else {
            positional << arg;
        }
    }
    if (positional.size() != 1 || !at || outName.isEmpty()) {
        return usage(QStringLiteral("render takes FILE --at M:SS:FF [--redraw-at M:SS:FF]... -o OUT.png"));
    }
    LyricsPreview preview;
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

int lrcCommand(const QStringList& args)
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
    QFile file(positional[0]);
    if (!openChecked(file)) {
        return 1;
    }

    writeOut(LrcExport::lines(LrcExport::readPieces(file), enhanced));
    return 0;
}

// "M:SS" as a position within the track.
std::optional<TrackPosition> parseLength(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    bool okMinutes = false, okSeconds = false;
    const int minutes = parts.value(0).toInt(&okMinutes);
    const int seconds = parts.value(1).toInt(&okSeconds);
    if (parts.size() != 2 || !okMinutes || !okSeconds || minutes < 0 || minutes > 32767 || seconds < 0 ||
        seconds > 59 || parts[1].size() != 2) {
        return std::nullopt;
    }
    return TrackPosition{qint16(minutes), qint16(seconds), 0};
}

// Times the script at the given positions into the capture's working file
// for outName, as the compiler window would have with key presses there. The
// caller finishes or abandons the capture.
bool compileAt(const QByteArray& script, const QList<TrackPosition>& times, DwdCapture& capture,
               const QString& outName, QString* why)
{
    capture.setScript(script);
    switch (capture.begin(outName)) {
    case DwdCapture::Start::OpenFailed:
        *why = DwdCompiler::openFailedMessage();
        return false;
    case DwdCapture::Start::HeaderFailed:
        *why = DwdCompiler::headerFailedMessage();
        return false;
    case DwdCapture::Start::Started:
        break;
    }
    qint32 lineBreaks = 0;
    for (qsizetype i = 0; i < times.size(); ++i) {
        const DwdCapture::Press press = capture.press(times[i], lineBreaks);
        if (press.outcome != DwdCapture::Outcome::Written) {
            *why = press.outcome == DwdCapture::Outcome::WriteFailed
                       ? DwdCompiler::recordFailedMessage()
                       : QStringLiteral("piece %1 of the script cannot be timed: %2")
                             .arg(i + 1)
                             .arg(press.error);
            return false;
        }
        if (press.endOfScript != (i + 1 == times.size())) {
            *why = QStringLiteral("the script has another number of pieces than the LRC has times");
            return false;
        }
    }
    return true;
}

int importCommand(const QStringList& args)
{
    QStringList positional;
    QString scriptName;
    QString dwdName;
    LrcImport::Options options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
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
            options.trackLength = parseLength(value);
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
    const std::optional<QByteArray> lrc = readWholeFile(positional[0]);
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
        QString why;
        if (!compileAt(result.script, result.times, capture, dwdName, &why)) {
            capture.abandon();
            writeErr(QStringLiteral("ondel-dwd: %1: %2\n").arg(dwdName, why));
            return 1;
        }
    }
    QSaveFile script(scriptName);
    if (!script.open(QIODevice::WriteOnly) || script.write(result.script) != result.script.size() ||
        !script.commit()) {
        if (capture.running())
            capture.abandon();
        writeErr(QStringLiteral("ondel-dwd: %1: %2\n").arg(scriptName, script.errorString()));
        return 1;
    }
    if (!dwdName.isEmpty() && !capture.finish()) {
        capture.abandon();
        writeErr(QStringLiteral("ondel-dwd: %1: %2\n").arg(dwdName, DwdCompiler::headerFailedMessage()));
        return 1;
    }
    return 0;
}

// FILE ... -o OUT: the positional arguments and OUT; nullopt after a usage message.
std::optional<QStringList> splitOutput(const QStringList& args, QString& outName)
{
    QStringList positional;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("-o")) {
            if (i + 1 >= args.size()) {
                usage(QStringLiteral("-o needs a file name"));
                return std::nullopt;
            }
            outName = args[++i];
        }
        else {
            positional << args[i];
        }
    }
    return positional;
}

// Writes a whole new file in one step: OUT is never left half written.
bool saveWhole(const QString& name, const QByteArray& bytes)
{
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        writeErr(QStringLiteral("ondel-dwd: cannot write %1: %2\n").arg(name, file.errorString()));
        return false;
    }
    return true;
}

// A record as the player reads it, with where its bytes are.
struct RawRecord {
    DwdReader::Record record;
    qint64 start = 0;
    qint64 end = 0;
};

// The whole records from offset 11 on, as the player reads them.
QList<RawRecord> wholeRecords(const QByteArray& bytes)
{
    QList<RawRecord> list;
    if (bytes.size() <= DwdWriter::HeaderSize)
        return list;
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    buffer.seek(DwdWriter::HeaderSize);
    for (;;) {
        RawRecord raw;
        raw.start = buffer.pos();
        raw.record = DwdReader::readRecord(buffer);
        raw.end = buffer.pos();
        if (!raw.record.complete())
            return list;
        list << raw;
    }
}

int repairCommand(const QStringList& args)
{
    QString outName;
    const std::optional<QStringList> positional = splitOutput(args, outName);
    if (!positional) {
        return 2;
    }
    if (positional->size() != 1 || outName.isEmpty()) {
        return usage(QStringLiteral("repair takes FILE -o OUT"));
    }
    const std::optional<QByteArray> bytes = readWholeFile(positional->at(0));
    if (!bytes) {
        return 1;
    }
    // A file cut inside its signature may still be the start of one.
    if (!QByteArrayView("DWD").startsWith(bytes->left(3))) {
        writeErr(QStringLiteral("ondel-dwd: %1: not a DWD file (it does not start with \"DWD\")\n")
                     .arg(positional->at(0)));
        return 1;
    }
    const QList<RawRecord> records = wholeRecords(*bytes);
    const qint64 kept = records.isEmpty() ? DwdWriter::HeaderSize : records.last().end;
    if (kept > qint64(0xFFFFFFFFu)) {
        writeErr(QStringLiteral("ondel-dwd: %1: too large for a DWD file\n").arg(positional->at(0)));
        return 1;
    }
    QByteArray repaired = DwdWriter::headerBytes(quint32(kept));
    if (!records.isEmpty()) {
        repaired += bytes->mid(DwdWriter::HeaderSize, kept - DwdWriter::HeaderSize);
    }
    if (!saveWhole(outName, repaired)) {
        return 1;
    }
    writeErr(QStringLiteral("ondel-dwd: %1 record(s) kept, %2 byte(s) of a broken record dropped\n")
                 .arg(records.size())
                 .arg(qMax<qint64>(0, bytes->size() - qMax<qint64>(kept, DwdWriter::HeaderSize))));
    return 0;
}

constexpr qint64 FramesPerMinute = CdFrames::PerMinute;

// Only spaces and line breaks: such a piece shows nothing of its own.
bool showsText(QByteArrayView text)
{
    for (const char c : text) {
        if (c != ' ' && c != '\r' && c != '\n') {
            return true;
        }
    }
    return false;
}

int shiftCommand(const QStringList& args)
{
    QString outName;
    const std::optional<QStringList> positional = splitOutput(args, outName);
    if (!positional) {
        return 2;
    }
    static const QRegularExpression Milliseconds(QStringLiteral("^[+-]?[0-9]{1,9}$"));
    if (positional->size() != 2 || outName.isEmpty() || !Milliseconds.match(positional->at(1)).hasMatch()) {
        return usage(QStringLiteral("shift takes FILE MS -o OUT (MS a whole number of milliseconds, "
                                    "negative for earlier)"));
    }
    const QString fileName = positional->at(0);
    const qint64 ms = positional->at(1).toLongLong();
    // To the nearest frame, halves away from zero.
    const qint64 shift = (ms >= 0 ? ms * CdFrames::PerSecond + 500 : ms * CdFrames::PerSecond - 500) / 1000;

    QFile file(fileName);
    if (!openChecked(file)) {
        return 1;
    }
    file.seek(0);
    const QByteArray bytes = file.readAll();
    const QList<RawRecord> records = wholeRecords(bytes);

    QByteArray shifted = bytes.left(DwdWriter::HeaderSize);
    TrackPosition time;
    qint64 previous = 0;
    for (qsizetype i = 0; i < records.size(); ++i) {
        const RawRecord& raw = records[i];
        TrackPosition::addDelta(time, raw.record.delta);
        qint64 moved = time.totalFrames() + shift;
        if (moved < 0) {
            if (showsText(raw.record.text)) {
                writeErr(QStringLiteral("ondel-dwd: %1: piece %2 (%3) is at %4; %5 ms earlier would be "
                                        "before the start of the track. Nothing written.\n")
                             .arg(fileName)
                             .arg(i + 1)
                             .arg(displayText(raw.record.text), formatTime(time))
                             .arg(-ms));
                return 1;
            }
            moved = 0;
        }
        if (moved / FramesPerMinute > 32767) {
            writeErr(QStringLiteral("ondel-dwd: %1: piece %2 would be later than %3:59:74\n")
                         .arg(fileName)
                         .arg(i + 1)
                         .arg(32767));
            return 1;
        }
        const TrackPosition delta = TrackPosition::timeDelta(TrackPosition::fromFrames(int(moved)),
                                                             TrackPosition::fromFrames(int(previous)));
        previous = moved;
        QByteArray record = bytes.mid(raw.start, raw.end - raw.start);
        uchar field[2];
        for (int f = 0; f < 3; ++f) {
            qToLittleEndian(f == 0 ? delta.minutes : f == 1 ? delta.seconds : delta.frames, field);
            record[2 * f] = char(field[0]);
            record[2 * f + 1] = char(field[1]);
        }
        shifted += record;
    }
    // Whatever follows the last whole record stays as it was.
    shifted += bytes.mid(records.isEmpty() ? DwdWriter::HeaderSize : records.last().end);
    return saveWhole(outName, shifted) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    // Only render draws text, which needs the font database of a GUI
    // application; it never needs a screen.
    const bool render = argc > 1 && qstrcmp(argv[1], "render") == 0;
    if (render) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // The off-screen platform's notes about the session (no runtime
        // directory and the like) say nothing about the picture.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
            if (type == QtCriticalMsg || type == QtFatalMsg) {
                writeErr(message + QLatin1Char('\n'));
            }
        });
    }
    std::unique_ptr<QCoreApplication> app = render ? std::make_unique<QGuiApplication>(argc, argv)
                                                   : std::make_unique<QCoreApplication>(argc, argv);
    if (render) {
        ImageCanvas::installFontSubstitutes();
    }
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty()) {
        return usage(QStringLiteral("no command given"));
    }
    const QString command = args.takeFirst();
    if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
        command == QLatin1String("help") || args.contains(QLatin1String("--help"))) {
        writeOut(QString::fromUtf8(HelpText));
        return 0;
    }
    if (command == QLatin1String("--version") || command == QLatin1String("-v")) {
        writeOut(QStringLiteral("ondel-dwd " ONDEL_VERSION "\nQt %1\n").arg(QString::fromLatin1(qVersion())));
        return 0;
    }
    if (command == QLatin1String("pieces")) {
        return piecesCommand(args);
    }
    if (command == QLatin1String("preview")) {
        return previewCommand(args);
    }
    if (command == QLatin1String("compile")) {
        return compileCommand(args);
    }
    if (command == QLatin1String("dump")) {
        return dumpCommand(args);
    }
    if (command == QLatin1String("repair")) {
        return repairCommand(args);
    }
    if (command == QLatin1String("shift")) {
        return shiftCommand(args);
    }
    if (command == QLatin1String("lrc")) {
        return lrcCommand(args);
    }
    if (command == QLatin1String("render")) {
        return renderCommand(args);
    }
    if (command == QLatin1String("import")) {
        return importCommand(args);
    }
    return usage(QStringLiteral("unknown command '%1'").arg(command));
}
