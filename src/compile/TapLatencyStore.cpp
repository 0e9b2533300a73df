#include "compile/TapLatencyStore.h"

#include "compile/TapCalibration.h"
#include "core/SettingsKeys.h"
#include "platform/SettingsStore.h"

bool TapLatencyStore::inRange(int latencyMs)
{
    return latencyMs >= -TapCalibration::MaxLatencyMs && latencyMs <= TapCalibration::MaxLatencyMs;
}

int TapLatencyStore::read() const
{
    const std::unique_ptr<SettingsKey> key = settings_.openKey(SettingsKeys::CompileState, false);
    if (!key)
        return 0;
    const std::optional<qint32> value = key->readInteger(SettingsKeys::TapLatency);
    return value && inRange(*value) ? *value : 0;
}

bool TapLatencyStore::write(int latencyMs)
{
    if (!inRange(latencyMs))
        return false;
    const std::unique_ptr<SettingsKey> key = settings_.openKey(SettingsKeys::CompileState, true);
    return key && key->writeInteger(SettingsKeys::TapLatency, latencyMs);
}

QString TapLatencyStore::writeFailedMessage()
{
    return QStringLiteral("遅れ補正を保存できませんでした。\n設定ファイルに書き込めません。");
}
