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
    // Whether one is alive now: a fixture inside a test's own home keeps to it.
    static bool active() { return alive_ > 0; }

private:
    QTemporaryDir dir_;
    QByteArray previous_;
    bool hadPrevious_ = false;
    static inline int alive_ = 0;
};
