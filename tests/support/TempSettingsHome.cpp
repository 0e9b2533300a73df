#include "TempSettingsHome.h"

#include <QSettings>

TempSettingsHome::TempSettingsHome()
{
    ++alive_;
    hadPrevious_ = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    previous_ = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", dir_.path().toLocal8Bit());
    // QSettings caches its per-user folder; make it read the variable again.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
}

TempSettingsHome::~TempSettingsHome()
{
    --alive_;
    if (hadPrevious_)
        qputenv("XDG_CONFIG_HOME", previous_);
    else
        qunsetenv("XDG_CONFIG_HOME");
}

QString TempSettingsHome::configFile() const
{
    return dir_.path() + QStringLiteral("/OndelPlayer/OndelPlayer.conf");
}
