#include "player/Association.h"

#include "core/SettingsKeys.h"
#include "platform/FileDialogs.h"
#include "platform/MessageBoxes.h"
#include "platform/SettingsStore.h"
#include "platform/cdaudio/CdAudioDevice.h"

namespace {
const QString Failed = QStringLiteral("関連付けに失敗しました。");
}

std::optional<QByteArray> Association::identity()
{
    ReplyBuffer reply;
    if (device_.DeviceCommand("info cdaudio identity wait", reply) != 0)
        return std::nullopt;
    return reply.toByteArray();
}

void Association::relate(int track)
{
    const auto id = identity();
    if (!id) {
        boxes_.show(QStringLiteral("ERROR"),
                    QStringLiteral("ＣＤの情報が得られません。\n関連付けを中止します。"), BoxIcon::Error,
                    BoxButtons::Ok);
        return;
    }
    const auto file = dialogs_.openFile(QStringLiteral("歌詞ファイルとＣＤとの関連づけ"),
                                        QStringLiteral("歌詞ファイル（*.dwd）|*.dwd"), QStringLiteral("dwd"));
    if (!file)
        return;
    auto key = settings_.openKey(SettingsKeys::relationKey(*id), true);
    if (!key || !key->writeString(SettingsKeys::trackValue(track), *file))
        boxes_.show(QStringLiteral("ERROR"), Failed, BoxIcon::Error, BoxButtons::Ok);
}

bool Association::remove(int track)
{
    const auto id = identity();
    if (!id)
        return false;
    auto key = settings_.openKey(SettingsKeys::relationKey(*id), false);
    return key && key->deleteValue(SettingsKeys::trackValue(track));
}

std::optional<QString> Association::lookup(int track)
{
    const auto id = identity();
    if (!id)
        return std::nullopt;
    auto key = settings_.openKey(SettingsKeys::relationKey(*id), false);
    if (!key)
        return QString();
    return key->readString(SettingsKeys::trackValue(track)).value_or(QString());
}
