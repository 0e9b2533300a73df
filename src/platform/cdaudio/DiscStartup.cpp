#include "DiscStartup.h"

#include "DiscIdentity.h"
#include "DiscSource.h"
#include "DiscSourceFactory.h"
#include "platform/SettingsStore.h"
#include "platform/Trace.h"

#include <QFileInfo>
#include <cstdio>

namespace {
// Beside the demo disc's cue sheet, made from the demo script at build time.
const QString DemoLyricsName = QStringLiteral("sakura.dwd");
const QString RelationKey = QStringLiteral("Software\\OndelPlayer\\RelationData\\[%1]");
const QString TrackValue = QStringLiteral("[%1]");
} // namespace

bool DiscStartup::relateDemoLyrics(DiscSource& source, SettingsStore& settings, const QString& dwdPath)
{
    if (source.presence() != DiscPresence::Ready || !QFileInfo::exists(dwdPath))
        return false;
    QByteArray identity = source.fixedIdentity();
    if (identity.isEmpty())
        identity = DiscIdentity::fromToc(source.toc());
    if (identity.isEmpty())
        return false;
    const QString key = RelationKey.arg(QString::fromLatin1(identity));
    // A key means the user has related (or unrelated) this disc already.
    if (settings.openKey(key, false))
        return false;
    auto created = settings.openKey(key, true);
    return created && created->writeString(TrackValue.arg(1), QFileInfo(dwdPath).absoluteFilePath());
}

void DiscStartup::prepare(DiscSource& source, SettingsStore& settings, Trace* trace)
{
    if (source.presence() == DiscPresence::Unreadable) {
        const QString why = QStringLiteral("the disc cannot be read: ") + source.problem();
        std::fprintf(stderr, "ondelplayer: %s\n", qPrintable(why));
        if (trace)
            trace->note(why);
        return;
    }
    const QString demo = DiscSourceFactory::demoDisc();
    if (demo.isEmpty() || source.lockKey() != QStringLiteral("image:") + QFileInfo(demo).canonicalFilePath())
        return;
    relateDemoLyrics(source, settings, QFileInfo(demo).absolutePath() + QLatin1Char('/') + DemoLyricsName);
}
