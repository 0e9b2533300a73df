#include "platform/cdaudio/PlainFile.h"

#include <QFileInfo>
#include <QString>

bool PlainFile::check(const QString& path, QString* error)
{
    const QFileInfo info(path);
    if (!info.exists() || info.isFile())
        return true;
    if (error)
        *error = QStringLiteral("%1 is not a regular file").arg(path);
    return false;
}
