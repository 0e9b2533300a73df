#include "platform/cdaudio/LinuxCdDrive.h"

#include <QFile>
#include <cdio/cdio.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <unistd.h>

LinuxCdDrive::LinuxCdDrive(const QString& device) : device_(device)
{
    fd_ = ::open(QFile::encodeName(device).constData(), O_RDONLY | O_NONBLOCK | O_EXCL | O_CLOEXEC);
    if (fd_ < 0) {
        busy_ = errno == EBUSY;
        problem_ =
            QStringLiteral("cannot open %1: %2").arg(device, QString::fromLocal8Bit(std::strerror(errno)));
    }
}

LinuxCdDrive::~LinuxCdDrive()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool LinuxCdDrive::claimed(QString* problem, bool* busy) const
{
    if (problem)
        *problem = problem_;
    if (busy)
        *busy = busy_;
    return fd_ >= 0;
}

CdDrive::Status LinuxCdDrive::status()
{
    switch (::ioctl(fd_, CDROM_DRIVE_STATUS, CDSL_CURRENT)) {
    case CDS_DISC_OK:
        return Status::DiscIn;
    case CDS_TRAY_OPEN:
        return Status::TrayOpen;
    default:
        return Status::Empty;
    }
}

_CdIo* LinuxCdDrive::openDisc()
{
    return cdio_open(QFile::encodeName(device_).constData(), DRIVER_DEVICE);
}

void LinuxCdDrive::eject()
{
    ::ioctl(fd_, CDROMEJECT, 0);
}

void LinuxCdDrive::closeTray()
{
    ::ioctl(fd_, CDROMCLOSETRAY, 0);
}
