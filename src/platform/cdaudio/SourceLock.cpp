#include "platform/cdaudio/SourceLock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLockFile>

SourceLock::SourceLock(const QString& key)
{
    // The runtime folder when the session has one; the temporary folder otherwise.
    QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty() || !QDir(dir).exists())
        dir = QDir::tempPath();
    const QByteArray hash = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    file_ = std::make_unique<QLockFile>(dir + QStringLiteral("/ondelplayer-") + QString::fromLatin1(hash) +
                                        QStringLiteral(".lock"));
    file_->setStaleLockTime(0);
}

SourceLock::~SourceLock()
{
    release();
}

bool SourceLock::acquire()
{
    if (!held_)
        held_ = file_->tryLock(0);
    return held_;
}

void SourceLock::release()
{
    if (held_)
        file_->unlock();
    held_ = false;
}
