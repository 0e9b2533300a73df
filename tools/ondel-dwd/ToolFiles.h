#pragma once

#include "core/UserFile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

class QFile;

// Reading and writing the files the commands name, through UserFile: only
// regular files of a sane size are read, and an output is replaced only by a
// complete new file. Each function says on standard error what went wrong
// before it returns a failure.
namespace ToolFiles {
std::optional<QByteArray> readWholeFile(const QString& name);
// Writes a whole new file in one step: the file is never left half written.
bool saveWhole(const QString& name, QByteArrayView bytes);
void reportFailure(const UserFile::Failure& failure);
// Opens the DWD file name into file and makes the player's checks; on
// success the file stands at the first record.
bool openChecked(QFile& file, const QString& name);
// FILE ... -o OUT: the positional arguments, with OUT into outName; nullopt
// after a usage message.
std::optional<QStringList> splitOutput(const QStringList& args, QString& outName);
} // namespace ToolFiles
