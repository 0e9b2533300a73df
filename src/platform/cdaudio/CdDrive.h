#pragma once

#include <QString>

struct _CdIo;

// The mechanism of a CD drive as DriveDisc uses it: whether a disc is in,
// a libcdio handle on that disc (table of contents, audio sectors), and the
// tray. A physical drive (LinuxCdDrive) and a disc image opened through
// libcdio's own image drivers (ImageCdDrive) answer the same calls, so the
// drive back end runs the same libcdio code on both.
class CdDrive {
public:
    enum class Status { DiscIn, Empty, TrayOpen };

    virtual ~CdDrive() = default;

    // The device's name for messages and the lock between two players.
    virtual QString name() const = 0;
    // False when the drive cannot be used; busy when another program holds it.
    virtual bool claimed(QString* problem, bool* busy) const = 0;
    virtual Status status() = 0;
    // A new libcdio handle on the disc now in (libcdio keeps the first table it
    // read, so a changed disc needs a new one); null when it cannot be read.
    // The caller destroys it with cdio_destroy.
    virtual _CdIo* openDisc() = 0;
    virtual void eject() = 0;
    virtual void closeTray() = 0;
};
