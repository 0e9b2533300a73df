#include "platform/cdaudio/LibraryVersions.h"

#include <QtGlobal>
#include <SoundTouch.h>
#include <cdio/version.h>
#include <discid/discid.h>
#include <sndfile.h>

#ifndef ONDEL_LIBCUE_VERSION
#define ONDEL_LIBCUE_VERSION "unknown"
#endif

QList<LibraryVersions::Entry> LibraryVersions::all()
{
    // Each library puts its own name in front ("libsndfile-1.2.0", "libdiscid
    // 0.6.2"); the list names them already.
    const QString sndfile = QString::fromLatin1(sf_version_string()).section(QLatin1Char('-'), -1);
    return {
        {QStringLiteral("Qt"),
         QString::fromLatin1(qVersion()) + QStringLiteral(" (built with " QT_VERSION_STR ")")},
        {QStringLiteral("libcue"), QStringLiteral(ONDEL_LIBCUE_VERSION)},
        {QStringLiteral("libsndfile"), sndfile},
        // libcdio appends the build host ("2.1.0 x86_64-pc-linux-gnu").
        {QStringLiteral("libcdio"), QString::fromLatin1(cdio_version_string).section(QLatin1Char(' '), 0, 0)},
        {QStringLiteral("libdiscid"),
         QString::fromLatin1(discid_get_version_string()).section(QLatin1Char(' '), -1)},
        {QStringLiteral("SoundTouch"), QString::fromLatin1(soundtouch::SoundTouch::getVersionString())},
    };
}
