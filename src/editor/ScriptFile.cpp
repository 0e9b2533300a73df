#include "ScriptFile.h"

#include "core/UserFile.h"

#include <QFile>

std::optional<QByteArray> ScriptFile::read(const QString& path)
{
    // Only a regular file of a sane size: a pipe or a device would block the
    // window or never end.
    QFile file;
    if (path.isEmpty() || UserFile::openForReading(file, path))
        return std::nullopt;
    QByteArray bytes;
    // Read until a read comes back short: sizes on some file systems (/proc)
    // are not known in advance.
    constexpr qint64 Chunk = 256;
    for (;;) {
        const QByteArray part = file.read(Chunk);
        bytes += part;
        if (part.size() < Chunk)
            break;
    }
    return bytes;
}

ScriptFile::WriteResult ScriptFile::write(const QString& path, const QByteArray& bytes)
{
    const std::optional<UserFile::Failure> failed = UserFile::write(path, bytes);
    if (!failed)
        return WriteResult::Written;
    return failed->kind == UserFile::Failure::Kind::NotCreated ? WriteResult::NotOpened
                                                               : WriteResult::NotWritten;
}
