// repair and shift: new DWD files made from an old one's records.

#include "TimeText.h"
#include "ToolCommands.h"
#include "ToolFiles.h"
#include "ToolOutput.h"
#include "lyrics/format/DwdRepair.h"
#include "lyrics/format/DwdTimeShift.h"

#include <QFile>
#include <QRegularExpression>

using namespace ToolOutput;

int ToolCommands::repair(const QStringList& args)
{
    QString outName;
    const std::optional<QStringList> positional = ToolFiles::splitOutput(args, outName);
    if (!positional) {
        return 2;
    }
    if (positional->size() != 1 || outName.isEmpty()) {
        return usage(QStringLiteral("repair takes FILE -o OUT"));
    }
    const QString fileName = positional->at(0);
    const std::optional<QByteArray> bytes = ToolFiles::readWholeFile(fileName);
    if (!bytes) {
        return 1;
    }
    const DwdRepair::Result result = DwdRepair::repair(*bytes);
    if (const DwdRepair::Refusal* refusal = std::get_if<DwdRepair::Refusal>(&result)) {
        switch (*refusal) {
        case DwdRepair::Refusal::NotDwd:
            writeErr(QStringLiteral("ondel-dwd: %1: not a DWD file (it does not start with \"DWD\")\n")
                         .arg(fileName));
            break;
        case DwdRepair::Refusal::TooLarge:
            writeErr(QStringLiteral("ondel-dwd: %1: too large for a DWD file\n").arg(fileName));
            break;
        }
        return 1;
    }
    const DwdRepair::Repaired& repaired = std::get<DwdRepair::Repaired>(result);
    if (!ToolFiles::saveWhole(outName, repaired.bytes)) {
        return 1;
    }
    writeErr(QStringLiteral("ondel-dwd: %1 record(s) kept, %2 byte(s) of a broken record dropped\n")
                 .arg(repaired.keptRecords)
                 .arg(repaired.droppedBytes));
    return 0;
}

int ToolCommands::shift(const QStringList& args)
{
    QString outName;
    const std::optional<QStringList> positional = ToolFiles::splitOutput(args, outName);
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

    QFile file;
    if (!ToolFiles::openChecked(file, fileName)) {
        return 1;
    }
    file.seek(0);
    const DwdTimeShift::Result result =
        DwdTimeShift::shift(file.readAll(), DwdTimeShift::framesForMilliseconds(ms));
    if (const DwdTimeShift::Refusal* refusal = std::get_if<DwdTimeShift::Refusal>(&result)) {
        switch (refusal->reason) {
        case DwdTimeShift::Refusal::Reason::TextBeforeStart:
            writeErr(QStringLiteral("ondel-dwd: %1: piece %2 (%3) is at %4; %5 ms earlier would be "
                                    "before the start of the track. Nothing written.\n")
                         .arg(fileName)
                         .arg(refusal->piece)
                         .arg(TimeText::displayText(refusal->text), TimeText::formatPosition(refusal->time))
                         .arg(-ms));
            break;
        case DwdTimeShift::Refusal::Reason::PastLatestTime:
            writeErr(QStringLiteral("ondel-dwd: %1: piece %2 would be later than %3:59:74\n")
                         .arg(fileName)
                         .arg(refusal->piece)
                         .arg(DwdTimeShift::LatestMinute));
            break;
        }
        return 1;
    }
    return ToolFiles::saveWhole(outName, std::get<QByteArray>(result)) ? 0 : 1;
}
