#include "platform/cdaudio/DiscSourceFactory.h"

#include "platform/cdaudio/DriveDisc.h"
#include "platform/cdaudio/ImageDisc.h"
#include "platform/cdaudio/SimulatedDisc.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <sys/stat.h>

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
    const QString cue = QCoreApplication::applicationDirPath() + QStringLiteral("/demo/demo.cue");
    return QFileInfo::exists(cue) ? cue : QString();
}

std::unique_ptr<DiscSource> DiscSourceFactory::create(const QString& source, const Clock& clock,
                                                      QString* error)
{
    if (source.isEmpty()) {
        if (isBlockDevice(DefaultDrive))
            return std::make_unique<DriveDisc>(DefaultDrive, clock);
        const QString demo = demoDisc();
        if (!demo.isEmpty())
            return std::make_unique<ImageDisc>(demo, clock);
        return SimulatedDisc::create(QString(), clock, error);
    }
    if (source.startsWith(QLatin1String("sim:")))
        return SimulatedDisc::create(source.mid(4), clock, error);
    if (isBlockDevice(source))
        return std::make_unique<DriveDisc>(source, clock);
    // Anything else is an image; one that cannot be read still makes a drive
    // with an unreadable disc, so the player starts and says why.
    return std::make_unique<ImageDisc>(source, clock);
}
