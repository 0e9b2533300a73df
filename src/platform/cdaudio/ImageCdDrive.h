#pragma once

#include "platform/cdaudio/CdDrive.h"

// A drive whose disc is an image read by libcdio's own image drivers (a cue
// sheet with its BIN file of the same name, as libcdio wants it, a cdrdao TOC
// file or a Nero image), with a tray moved
// by hand. It lets the drive back end run its libcdio calls without hardware:
// a disc can be taken out, put in or changed while the player runs.
class ImageCdDrive final : public CdDrive {
public:
    explicit ImageCdDrive(const QString& image) : image_(image) {}

    QString name() const override { return QStringLiteral("image drive ") + image_; }
    bool claimed(QString*, bool*) const override { return true; }
    Status status() override;
    _CdIo* openDisc() override;
    void eject() override;
    void closeTray() override;

    // What a user does at the drive: puts another disc in (empty: none), or
    // moves the tray by hand.
    void setImage(const QString& image) { image_ = image; }
    void setTrayOpen(bool open) { trayOpen_ = open; }

    int ejectRequests() const { return ejects_; }
    int closeRequests() const { return closes_; }

private:
    QString image_;
    bool trayOpen_ = false;
    int ejects_ = 0;
    int closes_ = 0;
};
