#pragma once

#include <QString>

// The system clipboard's plain text.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual QString text() const = 0;
    // Replaces the clipboard's contents with this text.
    virtual void setText(const QString& text) = 0;
};
