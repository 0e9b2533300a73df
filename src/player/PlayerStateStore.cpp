#include "PlayerStateStore.h"

#include "core/SettingsKeys.h"
#include "platform/SettingsStore.h"

PlayerStateStore::PlayerValues PlayerStateStore::loadPlayer(SettingsStore& store)
{
    PlayerValues values;
    const std::unique_ptr<SettingsKey> key = store.openKey(SettingsKeys::PlayerState, false);
    if (!key)
        return values;
    if (!(values.left = key->readInteger(SettingsKeys::Left)))
        return values;
    if (!(values.top = key->readInteger(SettingsKeys::Top)))
        return values;
    if (!(values.mode = key->readInteger(SettingsKeys::Mode)))
        return values;
    const std::optional<qint32> wordsOn = key->readInteger(SettingsKeys::WordsOn);
    if (!wordsOn)
        return values;
    values.wordsOn = *wordsOn != 0;
    const std::optional<qint32> mini = key->readInteger(SettingsKeys::MiniCDPlayer);
    if (!mini)
        return values;
    values.miniMode = *mini != 0;
    values.complete = true;
    return values;
}

bool PlayerStateStore::savePlayer(SettingsStore& store, const SavedPlayer& values)
{
    const std::unique_ptr<SettingsKey> key = store.openKey(SettingsKeys::PlayerState, true);
    return key && key->writeInteger(SettingsKeys::Left, values.left) &&
           key->writeInteger(SettingsKeys::Top, values.top) &&
           key->writeInteger(SettingsKeys::Mode, values.mode) &&
           key->writeInteger(SettingsKeys::WordsOn, values.wordsOn ? 1 : 0) &&
           key->writeInteger(SettingsKeys::MiniCDPlayer, values.miniMode ? 1 : 0);
}

PlayerStateStore::DisplayPosition PlayerStateStore::loadDisplay(SettingsStore& store)
{
    DisplayPosition position;
    const std::unique_ptr<SettingsKey> key = store.openKey(SettingsKeys::WordsDisplayState, false);
    if (!key)
        return position;
    if ((position.left = key->readInteger(SettingsKeys::Left)))
        position.top = key->readInteger(SettingsKeys::Top);
    return position;
}

bool PlayerStateStore::saveDisplay(SettingsStore& store, int left, int top)
{
    const std::unique_ptr<SettingsKey> key = store.openKey(SettingsKeys::WordsDisplayState, true);
    return key && key->writeInteger(SettingsKeys::Left, left) && key->writeInteger(SettingsKeys::Top, top);
}

bool PlayerStateStore::loadWipe(SettingsStore& store)
{
    const std::unique_ptr<SettingsKey> key = store.openKey(SettingsKeys::WordsDisplayState, false);
    return key && key->readInteger(SettingsKeys::Wipe).value_or(0) != 0;
}

bool PlayerStateStore::saveWipe(SettingsStore& store, bool wipe)
{
    const std::unique_ptr<SettingsKey> key = store.openKey(SettingsKeys::WordsDisplayState, true);
    return key && key->writeInteger(SettingsKeys::Wipe, wipe ? 1 : 0);
}
