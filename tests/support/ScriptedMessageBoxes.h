#pragma once

#include "platform/MessageBoxes.h"

#include <QList>
#include <functional>

// Answers message boxes from a script and records what was shown. A box can
// run code while it is "open", as the real modal loop runs timer ticks.
class ScriptedMessageBoxes final : public MessageBoxes {
public:
    struct Shown {
        QString caption;
        QString text;
        BoxIcon icon;
        BoxButtons buttons;
    };

    BoxButton show(const QString& caption, const QString& text, BoxIcon icon, BoxButtons buttons) override;

    // The next box answers this; without a queued answer a box answers its first button.
    void answer(BoxButton button) { answers_.append(button); }
    // Runs inside the next box, before it answers.
    void whileOpen(std::function<void()> action) { whileOpen_ = std::move(action); }

    QList<Shown> shown;

private:
    QList<BoxButton> answers_;
    std::function<void()> whileOpen_;
};
