#include "platform/cdaudio/PlainFile.h"

#include "core/UserFile.h"

#include <QFileInfo>
#include <QString>

bool PlainFile::check(const QString& path, QString* error)
{
    const QFileInfo info(path);
    if (!info.exists() || info.isFile())
        return true;
    if (error)
        *error = UserFile::notRegularMessage(path);
    return false;
}
