#include "PlayerStateStore.h"

#include "core/SettingsKeys.h"
#include "platform/SettingsStore.h"

using namespace SettingsKeys;

PlayerStateStore::PlayerValues PlayerStateStore::loadPlayer(SettingsStore& store)
{
    PlayerValues values;
    const std::unique_ptr<SettingsKey> key = store.openKey(PlayerState, false);
    if (!key)
        return values;
    if (!(values.left = key->readInteger(Left)))
        return values;
    if (!(values.top = key->readInteger(Top)))
        return values;
    if (!(values.mode = key->readInteger(Mode)))
        return values;
    const std::optional<qint32> wordsOn = key->readInteger(WordsOn);
    if (!wordsOn)
        return values;
    values.wordsOn = *wordsOn != 0;
    const std::optional<qint32> mini = key->readInteger(MiniCDPlayer);
    if (!mini)
        return values;
    values.miniMode = *mini != 0;
    values.complete = true;
    return values;
}

bool PlayerStateStore::savePlayer(SettingsStore& store, const SavedPlayer& values)
{
    const std::unique_ptr<SettingsKey> key = store.openKey(PlayerState, true);
    return key && key->writeInteger(Left, values.left) && key->writeInteger(Top, values.top) &&
           key->writeInteger(Mode, values.mode) && key->writeInteger(WordsOn, values.wordsOn ? 1 : 0) &&
           key->writeInteger(MiniCDPlayer, values.miniMode ? 1 : 0);
}

PlayerStateStore::DisplayPosition PlayerStateStore::loadDisplay(SettingsStore& store)
{
    DisplayPosition position;
    const std::unique_ptr<SettingsKey> key = store.openKey(WordsDisplayState, false);
    if (!key)
        return position;
    if ((position.left = key->readInteger(Left)))
        position.top = key->readInteger(Top);
    return position;
}

bool PlayerStateStore::saveDisplay(SettingsStore& store, int left, int top)
{
    const std::unique_ptr<SettingsKey> key = store.openKey(WordsDisplayState, true);
    return key && key->writeInteger(Left, left) && key->writeInteger(Top, top);
}

bool PlayerStateStore::loadWipe(SettingsStore& store)
{
    const std::unique_ptr<SettingsKey> key = store.openKey(WordsDisplayState, false);
    return key && key->readInteger(Wipe).value_or(0) != 0;
}

bool PlayerStateStore::saveWipe(SettingsStore& store, bool wipe)
{
    const std::unique_ptr<SettingsKey> key = store.openKey(WordsDisplayState, true);
    return key && key->writeInteger(Wipe, wipe ? 1 : 0);
}
