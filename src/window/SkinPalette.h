#pragma once

#include <QRgb>
#include <array>

// The 63 colours the skin and the displays are drawn with, in the order the
// window realises them on displays with few colours: greys of the body, the
// display greens, blues, yellows, cyans, browns and oranges, reds.
class SkinPalette {
public:
    static constexpr int Count = 63;
    static const std::array<QRgb, Count>& entries();
    static bool contains(QRgb colour);
};
