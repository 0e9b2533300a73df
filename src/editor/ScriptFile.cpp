#include "ScriptFile.h"

#include "core/UserFile.h"

#include <QFile>

std::optional<QByteArray> ScriptFile::read(const QString& path)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes;
    // Read until a read comes back short: sizes on some file systems (pipes,
    // /proc) are not known in advance.
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
