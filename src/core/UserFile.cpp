#include "core/UserFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
UserFile::Failure failure(UserFile::Failure::Kind kind, const QString& path, const QString& reason)
{
    return {kind, path, reason};
}

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Makes a rename in the folder durable; a failure here is not worth failing
// a file that is already in place.
void syncFolder(const QString& path)
{
    const int fd =
        ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// fsync() that counts "not supported here" as done.
bool syncFile(int fd)
{
    return ::fsync(fd) == 0 || errno == EINVAL || errno == EROFS;
}

QString limitText(qint64 limit)
{
    constexpr qint64 MiB = 1024 * 1024;
    return limit % MiB == 0 && limit > 0 ? QStringLiteral("%1 MiB").arg(limit / MiB)
                                         : QStringLiteral("%1 bytes").arg(limit);
}
} // namespace

QString UserFile::Failure::message() const
{
    switch (kind) {
    case Kind::NotCreated:
    case Kind::NotWritten:
        return QStringLiteral("cannot write %1: %2").arg(fileName, reason);
    case Kind::NotRegular:
        return notRegularMessage(fileName);
    case Kind::TooLarge:
        return QStringLiteral("%1 is larger than %2; not read").arg(fileName, reason);
    case Kind::NotRead:
        return QStringLiteral("cannot read %1: %2").arg(fileName, reason);
    }
    return {};
}

QString UserFile::notRegularMessage(const QString& path)
{
    return QStringLiteral("%1 is not a regular file").arg(path);
}

std::optional<UserFile::Failure> UserFile::write(const QString& path, QByteArrayView bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failure(Failure::Kind::NotCreated, path, file.errorString());
    // commit() removes the temporary once writing was cancelled.
    const auto fail = [&](const QString& reason) {
        file.cancelWriting();
        file.commit();
        return failure(Failure::Kind::NotWritten, path, reason);
    };
    if (file.write(bytes.data(), bytes.size()) != bytes.size())
        return fail(file.errorString());
    // The bytes still in the device's buffer reach the file here; commit()
    // would flush them too but rename the file whatever that flush gave.
    if (!file.flush())
        return fail(file.errorString());
    // A file system that allocates late says "full" only when asked to sync.
    if (!syncFile(file.handle()))
        return fail(systemReason(errno));
    if (!file.commit())
        return failure(Failure::Kind::NotWritten, path, file.errorString());
    syncFolder(path);
    return std::nullopt;
}

std::optional<UserFile::Failure> UserFile::replace(QFile& working, const QString& path)
{
    Q_ASSERT(working.isOpen());
    if (!working.flush())
        return failure(Failure::Kind::NotWritten, path, working.errorString());
    if (!syncFile(working.handle()))
        return failure(Failure::Kind::NotWritten, path, systemReason(errno));
    working.close();
    if (working.error() != QFileDevice::NoError)
        return failure(Failure::Kind::NotWritten, path, working.errorString());
    const QByteArray workingName = QFile::encodeName(working.fileName());
    const QByteArray target = QFile::encodeName(path);
    // The new file gets the access rights of the one it replaces.
    // (Qt's own permission flags mix in what the current user may do.)
    struct stat old;
    if (::stat(target.constData(), &old) == 0)
        ::chmod(workingName.constData(), old.st_mode & 07777);
    // rename() replaces the file in one step: readers see the old file or the new one.
    if (std::rename(workingName.constData(), target.constData()) != 0)
        return failure(Failure::Kind::NotWritten, path, systemReason(errno));
    syncFolder(path);
    return std::nullopt;
}

std::optional<UserFile::Failure> UserFile::openForReading(QFile& file, const QString& path, qint64 limit)
{
    Q_ASSERT(limit >= 0);
    Q_ASSERT(!file.isOpen());
    // Opened without waiting, so that a pipe with no writer cannot block,
    // and checked on the open descriptor, so that nothing swapped in after a
    // look at the name is read.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return failure(Failure::Kind::NotRead, path, systemReason(errno));
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return failure(Failure::Kind::NotRegular, path, {});
    }
    if (status.st_size > limit) {
        ::close(fd);
        return failure(Failure::Kind::TooLarge, path, limitText(limit));
    }
    file.setFileName(path);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return failure(Failure::Kind::NotRead, path, file.errorString());
    }
    return std::nullopt;
}

std::variant<QByteArray, UserFile::Failure> UserFile::read(const QString& path, qint64 limit)
{
    QFile file;
    if (std::optional<Failure> failed = openForReading(file, path, limit))
        return *failed;
    // In blocks, so that a small file takes no more memory than it needs;
    // a file that grows while it is read stops one block past the limit.
    QByteArray bytes;
    for (;;) {
        const QByteArray block = file.read(64 * 1024);
        if (block.isEmpty())
            break;
        bytes += block;
        if (bytes.size() > limit)
            return failure(Failure::Kind::TooLarge, path, limitText(limit));
    }
    if (file.error() != QFileDevice::NoError)
        return failure(Failure::Kind::NotRead, path, file.errorString());
    return bytes;
}
