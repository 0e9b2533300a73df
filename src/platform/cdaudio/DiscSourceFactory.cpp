#include "platform/cdaudio/DiscSourceFactory.h"

#include "platform/cdaudio/DriveDisc.h"
#include "platform/cdaudio/ImageDisc.h"
#include "platform/cdaudio/LinuxCdDrive.h"
#include "platform/cdaudio/SimulatedDisc.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <sys/stat.h>

#ifndef ONDEL_DATA_FROM_BIN
#define ONDEL_DATA_FROM_BIN "../share/ondelplayer"
#endif

namespace {
const QString DefaultDrive = QStringLiteral("/dev/cdrom");

bool isBlockDevice(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISBLK(info.st_mode);
}
} // namespace

QString DiscSourceFactory::demoDisc()
{
    if (!QCoreApplication::instance())
        return {};
    const QString programDir = QCoreApplication::applicationDirPath();
    // Beside the program in the build folder; in the data folder once
    // installed, found from the program's own place so that any prefix works.
    for (const QString& cue : {programDir + QStringLiteral("/demo/demo.cue"),
                               programDir + QStringLiteral("/" ONDEL_DATA_FROM_BIN "/demo/demo.cue")}) {
        if (QFileInfo::exists(cue))
            return QFileInfo(cue).canonicalFilePath();
    }
    return {};
}

std::unique_ptr<DiscSource> DiscSourceFactory::create(const QString& source, const Clock& clock,
                                                      QString* error)
{
    if (source.isEmpty()) {
        if (isBlockDevice(DefaultDrive))
            return std::make_unique<DriveDisc>(std::make_unique<LinuxCdDrive>(DefaultDrive), clock);
        const QString demo = demoDisc();
        if (!demo.isEmpty())
            return std::make_unique<ImageDisc>(demo, clock);
        return SimulatedDisc::create(QString(), clock, error);
    }
    if (source.startsWith(QLatin1String("sim:")))
        return SimulatedDisc::create(source.mid(4), clock, error);
    if (isBlockDevice(source))
        return std::make_unique<DriveDisc>(std::make_unique<LinuxCdDrive>(source), clock);
    // Anything else is an image; one that cannot be read still makes a drive
    // with an unreadable disc, so the player starts and says why.
    return std::make_unique<ImageDisc>(source, clock);
}
