#include "SmallDisk.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {
bool writeProcFile(const char* name, const QByteArray& text)
{
    QFile file(QString::fromLatin1(name));
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.flush();
}

// Makes this process root of a user namespace of its own, with a mount
// namespace in which it may mount; nullopt once that holds.
std::optional<QString> becomeNamespaceRoot()
{
    static std::optional<QString> why = []() -> std::optional<QString> {
        if (::geteuid() == 0)
            return std::nullopt;
        const QByteArray uid = QByteArray::number(::geteuid());
        const QByteArray gid = QByteArray::number(::getegid());
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            return QStringLiteral("no user namespace of its own (%1)")
                .arg(QString::fromLocal8Bit(std::strerror(errno)));
        if (!writeProcFile("/proc/self/setgroups", "deny") ||
            !writeProcFile("/proc/self/uid_map", "0 " + uid + " 1") ||
            !writeProcFile("/proc/self/gid_map", "0 " + gid + " 1"))
            return QStringLiteral("the user namespace's id maps cannot be written");
        return std::nullopt;
    }();
    return why;
}
} // namespace

std::variant<std::unique_ptr<SmallDisk>, QString> SmallDisk::mount(qint64 sizeBytes)
{
    if (const std::optional<QString> why = becomeNamespaceRoot())
        return QStringLiteral("cannot mount a small file system: %1").arg(*why);
    std::unique_ptr<SmallDisk> disk(new SmallDisk);
    if (!disk->dir_.isValid())
        return QStringLiteral("no temporary folder to mount a small file system on");
    const QByteArray options = "size=" + QByteArray::number(sizeBytes);
    if (::mount("tmpfs", QFile::encodeName(disk->path()).constData(), "tmpfs", 0, options.constData()) != 0)
        return QStringLiteral("cannot mount a small file system: %1")
            .arg(QString::fromLocal8Bit(std::strerror(errno)));
    disk->mounted_ = true;
    return disk;
}

SmallDisk::~SmallDisk()
{
    if (mounted_)
        ::umount2(QFile::encodeName(path()).constData(), MNT_DETACH);
}

bool SmallDisk::leaveFree(qint64 freeBytes)
{
    const QByteArray name = QFile::encodeName(filePath(QStringLiteral("fill")));
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const QByteArray page(PageSize, '\0');
    qint64 filled = 0;
    while (::write(fd, page.constData(), PageSize) == PageSize)
        filled += PageSize;
    const bool full = errno == ENOSPC;
    const qint64 kept = filled - freeBytes / PageSize * PageSize;
    const bool ok = full && kept >= 0 && ::ftruncate(fd, kept) == 0;
    ::close(fd);
    return ok;
}
