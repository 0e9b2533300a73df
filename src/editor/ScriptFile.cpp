#include "ScriptFile.h"

#include <QFile>
#include <QSaveFile>

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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return WriteResult::NotOpened;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        file.commit();
        return WriteResult::NotWritten;
    }
    return file.commit() ? WriteResult::Written : WriteResult::NotWritten;
}
