#pragma once

#include <QString>
#include <optional>

// What the window shows for each play mode: which lit lamps are visible and
// which radio item of the popup menu's mode submenu is checked. Repeat all
// lights NORMAL and REPEAT together.
class ModeTable {
public:
    struct Row {
        bool normalLit;   // normalLamp_ shown
        bool repeatLit;   // repeatLamp_ shown
        bool randomLit;   // randomLamp_ shown
        QString menuItem; // the radio item to check
    };

    static constexpr int ModeCount = 4;
    // Modes 0 normal, 1 one-track repeat, 2 repeat all, 3 random; nothing for
    // any other value (a stored mode out of range leaves lamps and checks alone).
    static std::optional<Row> row(int mode);
};
