#include "ToolFiles.h"

#include "ToolOutput.h"
#include "lyrics/format/DwdReader.h"

#include <QFile>
#include <QSaveFile>

using ToolOutput::writeErr;

std::optional<QByteArray> ToolFiles::readWholeFile(const QString& name)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly)) {
        writeErr(QStringLiteral("ondel-dwd: cannot read %1: %2\n").arg(name, file.errorString()));
        return std::nullopt;
    }
    return file.readAll();
}

bool ToolFiles::saveWhole(const QString& name, const QByteArray& bytes)
{
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        writeErr(QStringLiteral("ondel-dwd: cannot write %1: %2\n").arg(name, file.errorString()));
        return false;
    }
    return true;
}

bool ToolFiles::openChecked(QFile& file)
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
