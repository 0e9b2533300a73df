#pragma once

#include "platform/Clipboard.h"

// The application's clipboard (QGuiApplication::clipboard()), the one that
// text controls paste from.
class QtClipboard final : public Clipboard {
public:
    QString text() const override;
    void setText(const QString& text) override;
};
