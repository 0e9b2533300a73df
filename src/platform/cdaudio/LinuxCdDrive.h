#pragma once

#include "platform/cdaudio/CdDrive.h"

// A physical drive on Linux: the block device is held open with O_EXCL, so a
// second player (or a program that mounted the disc) cannot use it; the tray
// and the disc status go through the kernel's CD-ROM ioctls, the disc through
// libcdio's device driver.
class LinuxCdDrive final : public CdDrive {
public:
    explicit LinuxCdDrive(const QString& device);
    ~LinuxCdDrive() override;
    LinuxCdDrive(const LinuxCdDrive&) = delete;
    LinuxCdDrive& operator=(const LinuxCdDrive&) = delete;

    QString name() const override { return device_; }
    bool claimed(QString* problem, bool* busy) const override;
    Status status() override;
    _CdIo* openDisc() override;
    void eject() override;
    void closeTray() override;

private:
    QString device_;
    int fd_ = -1;
    bool busy_ = false;
    QString problem_;
};
