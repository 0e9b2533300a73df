#include "ScriptedMessageBoxes.h"

BoxButton ScriptedMessageBoxes::show(const QString& caption, const QString& text, BoxIcon icon,
                                     BoxButtons buttons)
{
    shown.append({caption, text, icon, buttons});
    if (whileOpen_) {
        auto action = std::move(whileOpen_);
        whileOpen_ = nullptr;
        action();
    }
    if (!answers_.isEmpty())
        return answers_.takeFirst();
    return buttons == BoxButtons::YesNo || buttons == BoxButtons::YesNoCancel ? BoxButton::Yes
                                                                              : BoxButton::Ok;
}
