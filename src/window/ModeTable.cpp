#include "window/ModeTable.h"

std::optional<ModeTable::Row> ModeTable::row(int mode)
{
    switch (mode) {
    case 0:
        return Row{true, false, false, QStringLiteral("RMenuModeNormal")};
    case 1:
        return Row{false, true, false, QStringLiteral("RMenuModeRepeat")};
    case 2:
        return Row{true, true, false, QStringLiteral("RMenuModeAllRepeat")};
    case 3:
        return Row{false, false, true, QStringLiteral("RMenuModeRandom")};
    default:
        return std::nullopt;
    }
}
