#include "platform/widgets/QtColorDialogs.h"

#include <QColorDialog>

std::optional<quint32> QtColorDialogs::chooseColor(quint32 initial)
{
    const QColor start(initial & 0xFF, (initial >> 8) & 0xFF, (initial >> 16) & 0xFF);
    const QColor chosen = QColorDialog::getColor(start, parent_);
    // The window manager may hand the focus to another of the program's
    // windows; the keys typed next belong to the window that asked.
    if (parent_ && parent_->isVisible())
        parent_->activateWindow();
    if (!chosen.isValid())
        return std::nullopt;
    return static_cast<quint32>(chosen.red()) | static_cast<quint32>(chosen.green()) << 8 |
           static_cast<quint32>(chosen.blue()) << 16;
}
