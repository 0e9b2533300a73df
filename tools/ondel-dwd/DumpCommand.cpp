// dump: a DWD file record by record, as the player reads it.

#include "TimeText.h"
#include "ToolCommands.h"
#include "ToolFiles.h"
#include "ToolOutput.h"
#include "lyrics/format/DwdReader.h"

#include <QFile>

using namespace ToolOutput;

namespace {

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

} // namespace

int ToolCommands::dump(const QStringList& args)
{
    if (args.size() != 1) {
        return usage(QStringLiteral("dump takes one FILE"));
    }
    QFile file;
    if (!ToolFiles::openChecked(file, args[0])) {
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
        QString text = record.complete() ? TimeText::displayText(record.text)
                                         : QStringLiteral("[%1]").arg(describeCut(record.end));
        writeOut(QStringLiteral("%1\t%2\t%3\t%4\t%5\n")
                     .arg(number)
                     .arg(TimeText::formatPosition(time), TimeText::formatPosition(record.delta),
                          commands.join(QLatin1Char(' ')), text));
        if (!record.complete()) {
            return 0;
        }
    }
}
