#include "app/MprisService.h"

#include "app/AppIdentity.h"
#include "app/MprisPlayerAdaptor.h"
#include "app/MprisRootAdaptor.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace {
const QString ObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString PlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
} // namespace

MprisService::MprisService(PlayerRemote& remote, CdAudioDevice& device, QDBusConnection connection)
    : remote_(remote), model_(remote, device), player_(new MprisPlayerAdaptor(*this)),
      connection_(std::move(connection))
{
    new MprisRootAdaptor(*this);
}

MprisService::~MprisService()
{
    if (!serviceName_.isEmpty())
        connection_.unregisterService(serviceName_);
    connection_.unregisterObject(ObjectPath);
}

bool MprisService::start(QString* error)
{
    if (!connection_.isConnected()) {
        if (error)
            *error = connection_.lastError().message();
        return false;
    }
    if (!connection_.registerObject(ObjectPath, this, QDBusConnection::ExportAdaptors)) {
        if (error)
            *error = connection_.lastError().message();
        return false;
    }
    const QString name = QStringLiteral("org.mpris.MediaPlayer2.") + QLatin1String(AppIdentity::MprisName);
    for (const QString& candidate :
         {name, name + QStringLiteral(".instance%1").arg(QCoreApplication::applicationPid())}) {
        if (connection_.registerService(candidate)) {
            serviceName_ = candidate;
            publishChanges();
            return true;
        }
    }
    if (error)
        *error = connection_.lastError().message();
    connection_.unregisterObject(ObjectPath);
    return false;
}

void MprisService::publishChanges()
{
    const QVariantMap changed = model_.changedProperties();
    const std::optional<qlonglong> jumped = model_.positionJump();
    if (serviceName_.isEmpty())
        return;
    if (jumped)
        Q_EMIT player_->Seeked(*jumped);
    if (changed.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(
        ObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
    signal << PlayerInterface << changed << QStringList();
    connection_.send(signal);
}
