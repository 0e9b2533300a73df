#include "player/DiscStartup.h"

#include "core/Logging.h"
#include "core/SettingsKeys.h"
#include "platform/SettingsStore.h"
#include "platform/Trace.h"
#include "platform/cdaudio/DiscIdentity.h"
#include "platform/cdaudio/DiscSource.h"
#include "platform/cdaudio/DiscSourceFactory.h"
#include "platform/cdaudio/ImageDisc.h"

#include <QFileInfo>
#include <cstdio>

namespace {
// Beside the demo disc's cue sheet, made from the demo script at build time.
const QString DemoLyricsName = QStringLiteral("sakura.dwd");
} // namespace

bool DiscStartup::relateDemoLyrics(DiscSource& source, SettingsStore& settings, const QString& dwdPath)
{
    if (source.presence() != DiscPresence::Ready || !QFileInfo::exists(dwdPath))
        return false;
    const QByteArray identity = DiscIdentity::of(source);
    if (identity.isEmpty())
        return false;
    const QString key = SettingsKeys::relationKey(identity);
    // A key means the user has related (or unrelated) this disc already.
    if (settings.openKey(key, false))
        return false;
    auto created = settings.openKey(key, true);
    return created &&
           created->writeString(SettingsKeys::trackValue(1), QFileInfo(dwdPath).absoluteFilePath());
}

void DiscStartup::prepare(DiscSource& source, SettingsStore& settings, Trace* trace)
{
    if (source.presence() == DiscPresence::Unreadable) {
        const QString why = QStringLiteral("the disc cannot be read: ") + source.problem();
        qCWarning(lcDisc, "%s", qPrintable(why));
        if (trace)
            trace->note(why);
        return;
    }
    const QString demo = DiscSourceFactory::demoDisc();
    if (demo.isEmpty() || source.lockKey() != ImageDisc::lockKeyFor(demo))
        return;
    relateDemoLyrics(source, settings, QFileInfo(demo).absolutePath() + QLatin1Char('/') + DemoLyricsName);
}
