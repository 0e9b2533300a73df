#pragma once

#include <QtGlobal>
#include <optional>

// The system's modal colour dialog. Colours are 0x00BBGGRR values.
class ColorDialogs {
public:
    virtual ~ColorDialogs() = default;
    // The chosen colour, or nullopt when the user cancelled.
    virtual std::optional<quint32> chooseColor(quint32 initial) = 0;
};
