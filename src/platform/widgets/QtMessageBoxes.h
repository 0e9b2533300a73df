#pragma once

#include "platform/MessageBoxes.h"

class QWidget;

// Message boxes on screen (QMessageBox, application modal).
class QtMessageBoxes final : public MessageBoxes {
public:
    BoxButton show(const QString& caption, const QString& text, BoxIcon icon, BoxButtons buttons) override;
};
