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
    if (device_.sendCommand("info cdaudio identity wait", reply) != 0)
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
    store(*id, track, *file);
}

void Association::store(const QByteArray& identity, int track, const QString& file)
{
    auto key = settings_.openKey(SettingsKeys::relationKey(identity), true);
    if (!key || !key->writeString(SettingsKeys::trackValue(track), file))
        boxes_.show(QStringLiteral("ERROR"), Failed, BoxIcon::Error, BoxButtons::Ok);
}

QString Association::offerQuestion(int track, const QString& file)
{
    return file + QStringLiteral(" を作成しました。\nトラック %1 に関連付けますか？").arg(track);
}

QString Association::offerCaption()
{
    return QStringLiteral("Information");
}

void Association::offerRelation(int track, const QString& file)
{
    // A disc that cannot be identified now is not worth a second message
    // right after the timing: the user can still relate the file by hand.
    const auto id = identity();
    if (!id || track < 1)
        return;
    if (lookup(track).value_or(QString()) == file)
        return;
    if (boxes_.show(offerCaption(), offerQuestion(track, file), BoxIcon::Question, BoxButtons::YesNo) ==
        BoxButton::Yes)
        store(*id, track, file);
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
