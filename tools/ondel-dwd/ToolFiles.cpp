#include "ToolFiles.h"

#include "ToolOutput.h"
#include "lyrics/format/DwdReader.h"

#include <QFile>

using ToolOutput::writeErr;

std::optional<QByteArray> ToolFiles::readWholeFile(const QString& name)
{
    std::variant<QByteArray, UserFile::Failure> read = UserFile::read(name);
    if (const UserFile::Failure* failed = std::get_if<UserFile::Failure>(&read)) {
        reportFailure(*failed);
        return std::nullopt;
    }
    return std::get<QByteArray>(std::move(read));
}

bool ToolFiles::saveWhole(const QString& name, QByteArrayView bytes)
{
    if (const std::optional<UserFile::Failure> failed = UserFile::write(name, bytes)) {
        reportFailure(*failed);
        return false;
    }
    return true;
}

void ToolFiles::reportFailure(const UserFile::Failure& failure)
{
    writeErr(QStringLiteral("ondel-dwd: %1\n").arg(failure.message()));
}

bool ToolFiles::openChecked(QFile& file, const QString& name)
{
    if (const std::optional<UserFile::Failure> failed = UserFile::openForReading(file, name)) {
        reportFailure(*failed);
        return false;
    }
    const DwdReader::FileCheck check = DwdReader::checkFile(file);
    if (check != DwdReader::FileCheck::Valid) {
        writeErr(QStringLiteral("ondel-dwd: %1: %2\n").arg(name, DwdReader::checkMessage(check)));
        return false;
    }
    return true;
}

std::optional<QStringList> ToolFiles::splitOutput(const QStringList& args, QString& outName)
{
    QStringList positional;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("-o")) {
            if (i + 1 >= args.size()) {
                ToolOutput::usage(QStringLiteral("-o needs a file name"));
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
