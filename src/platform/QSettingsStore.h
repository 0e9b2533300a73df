#pragma once

#include "platform/SettingsStore.h"

// The settings store on QSettings' native per-user location: on Linux
// $XDG_CONFIG_HOME/OndelPlayer/OndelPlayer.conf, on Windows the registry key
// HKCU\Software\OndelPlayer. "Software\OndelPlayer\X\Y" is the group "X/Y";
// value names are kept as they are.
class QSettingsStore final : public SettingsStore {
public:
    std::unique_ptr<SettingsKey> openKey(const QString& path, bool create) override;

    // The group for a registry path, or an empty string for a path outside the program's key.
    static QString groupFor(const QString& path);
};
