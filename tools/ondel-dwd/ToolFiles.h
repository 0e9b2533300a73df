#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

class QFile;

// Reading and writing the files the commands name. Each function says on
// standard error what went wrong before it returns a failure.
namespace ToolFiles {
std::optional<QByteArray> readWholeFile(const QString& name);
// Writes a whole new file in one step: the file is never left half written.
bool saveWhole(const QString& name, const QByteArray& bytes);
// Opens a DWD file and makes the player's checks; on success the file stands
// at the first record.
bool openChecked(QFile& file);
// FILE ... -o OUT: the positional arguments, with OUT into outName; nullopt
// after a usage message.
std::optional<QStringList> splitOutput(const QStringList& args, QString& outName);
} // namespace ToolFiles
