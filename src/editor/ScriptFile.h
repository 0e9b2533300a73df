#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

// Reading and writing script files, byte for byte.
namespace ScriptFile {
// The whole file, or nullopt when it cannot be opened for reading or is no
// regular file of a sane size (UserFile::openForReading).
std::optional<QByteArray> read(const QString& path);

enum class WriteResult {
    Written,    // every byte is in the file
    NotOpened,  // the file could not be created; nothing changed on disk
    NotWritten, // writing failed part way; the previous file is whole
};
// Writes through UserFile::write: the target is replaced only once every
// byte is in the file, so a failure never leaves a truncated file or a
// temporary file behind.
WriteResult write(const QString& path, const QByteArray& bytes);

using Writer = std::function<WriteResult(const QString& path, const QByteArray& bytes)>;
} // namespace ScriptFile
