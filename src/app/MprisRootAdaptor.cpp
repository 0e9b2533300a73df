#include "app/MprisRootAdaptor.h"

#include "app/AppIdentity.h"
#include "app/MprisService.h"
#include "app/PlayerRemote.h"

#include <QTimer>

MprisRootAdaptor::MprisRootAdaptor(MprisService& service) : QDBusAbstractAdaptor(&service), service_(service)
{
}

QString MprisRootAdaptor::identity() const
{
    return QStringLiteral("OndelPlayer");
}

QString MprisRootAdaptor::desktopEntry() const
{
    return QString::fromLatin1(AppIdentity::Id);
}

QStringList MprisRootAdaptor::supportedMimeTypes() const
{
    return {QStringLiteral("application/x-cue")};
}

void MprisRootAdaptor::Raise()
{
    service_.remote().raise();
}

// Ends the program after the reply has gone out, so the caller is not left
// waiting for an answer that never comes.
void MprisRootAdaptor::Quit()
{
    QTimer::singleShot(0, &service_, [this] { service_.remote().quit(); });
}
