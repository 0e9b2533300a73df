#pragma once

#include <QByteArray>
#include <QTemporaryDir>

// Points XDG_CONFIG_HOME at a fresh temporary folder for the life of the
// object, so the settings store writes nowhere near the user's own settings.
class TempSettingsHome {
public:
    TempSettingsHome();
    ~TempSettingsHome();
    QString configFile() const;
    QString path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
    QByteArray previous_;
    bool hadPrevious_ = false;
};
