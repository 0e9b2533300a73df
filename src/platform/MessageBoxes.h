#pragma once

#include <QString>

enum class BoxIcon { Information, Warning, Error, Question };
enum class BoxButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class BoxButton { Ok, Cancel, Yes, No };

// Modal message boxes: caption, text, icon and buttons in; the button pressed
// out. While a box is open the GUI thread keeps delivering timer ticks.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual BoxButton show(const QString& caption, const QString& text, BoxIcon icon, BoxButtons buttons) = 0;

    static QString buttonName(BoxButton button);
};
