#pragma once

#include "platform/MessageBoxes.h"

class QWidget;

#include <functional>

// Message boxes on screen (QMessageBox, application modal), each parented to
// the window it belongs to and centred on it: the active window of the
// program (a dialog or a tool window), else the one `owner` names.
class QtMessageBoxes final : public MessageBoxes {
public:
    BoxButton show(const QString& caption, const QString& text, BoxIcon icon, BoxButtons buttons) override;

    // The player's own window when none of the program's windows is active.
    std::function<QWidget*()> owner;

    // The window a box opened now would be centred on; null when there is none.
    QWidget* parentWindow() const;
};
