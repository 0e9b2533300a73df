#include "compile/SnapSettings.h"

#include "core/SettingsKeys.h"
#include "platform/SettingsStore.h"

SnapSettings SnapSettings::read(SettingsStore& settings)
{
    SnapSettings snap;
    const std::unique_ptr<SettingsKey> key = settings.openKey(SettingsKeys::CompileState, false);
    if (!key)
        return snap;
    snap.enabled = key->readInteger(SettingsKeys::SnapToOnsets).value_or(0) == 1;
    const std::optional<qint32> window = key->readInteger(SettingsKeys::SnapWindow);
    if (window && *window >= MinWindowMs && *window <= MaxWindowMs)
        snap.windowMs = *window;
    return snap;
}

bool SnapSettings::write(SettingsStore& settings) const
{
    Q_ASSERT(windowMs >= MinWindowMs && windowMs <= MaxWindowMs);
    const std::unique_ptr<SettingsKey> key = settings.openKey(SettingsKeys::CompileState, true);
    return key && key->writeInteger(SettingsKeys::SnapToOnsets, enabled ? 1 : 0) &&
           key->writeInteger(SettingsKeys::SnapWindow, windowMs);
}
