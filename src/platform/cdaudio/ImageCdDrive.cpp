#include "platform/cdaudio/ImageCdDrive.h"

#include <QFile>
#include <QFileInfo>
#include <cdio/cdio.h>

CdDrive::Status ImageCdDrive::status()
{
    if (trayOpen_)
        return Status::TrayOpen;
    return image_.isEmpty() ? Status::Empty : Status::DiscIn;
}

_CdIo* ImageCdDrive::openDisc()
{
    if (image_.isEmpty() || !QFileInfo::exists(image_))
        return nullptr;
    const QByteArray name = QFile::encodeName(image_);
    const QString suffix = QFileInfo(image_).suffix().toLower();
    if (suffix == QLatin1String("cue"))
        return cdio_open_cue(name.constData());
    if (suffix == QLatin1String("toc"))
        return cdio_open_cdrdao(name.constData());
    if (suffix == QLatin1String("nrg"))
        return cdio_open_nrg(name.constData());
    return nullptr;
}

void ImageCdDrive::eject()
{
    ++ejects_;
    trayOpen_ = true;
}

void ImageCdDrive::closeTray()
{
    ++closes_;
    trayOpen_ = false;
}
