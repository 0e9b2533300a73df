#include "window/ModeTable.h"

#include "window/PlayerObjectNames.h"

std::optional<ModeTable::Row> ModeTable::row(int mode)
{
    switch (mode) {
    case 0:
        return Row{true, false, false, PlayerObjectNames::Menu::ModeNormal};
    case 1:
        return Row{false, true, false, PlayerObjectNames::Menu::ModeRepeat};
    case 2:
        return Row{true, true, false, PlayerObjectNames::Menu::ModeRepeatAll};
    case 3:
        return Row{false, false, true, PlayerObjectNames::Menu::ModeRandom};
    default:
        return std::nullopt;
    }
}
