#include "window/SkinPalette.h"

#include <algorithm>

const std::array<QRgb, SkinPalette::Count>& SkinPalette::entries()
{
    static const std::array<QRgb, Count> list = {
        // body greys
        qRgb(50, 50, 50), qRgb(50, 50, 50), qRgb(255, 255, 255), qRgb(70, 70, 70), qRgb(90, 90, 90),
        qRgb(110, 110, 110), qRgb(130, 130, 130), qRgb(30, 30, 30), qRgb(15, 15, 15),
        // display greens
        qRgb(0, 50, 0), qRgb(0, 60, 0), qRgb(0, 70, 0), qRgb(0, 80, 0), qRgb(0, 90, 0), qRgb(0, 125, 0),
        qRgb(0, 175, 0), qRgb(0, 235, 0), qRgb(0, 245, 0), qRgb(0, 255, 0), qRgb(108, 255, 0),
        qRgb(0, 155, 0), qRgb(0, 210, 0), qRgb(30, 66, 30),
        // blues
        qRgb(0, 0, 60), qRgb(0, 0, 80), qRgb(0, 0, 100), qRgb(0, 0, 120), qRgb(0, 0, 140), qRgb(0, 46, 175),
        qRgb(0, 50, 195), qRgb(0, 82, 215), qRgb(0, 104, 235), qRgb(0, 173, 255), qRgb(0, 255, 255),
        // yellows
        qRgb(50, 50, 0), qRgb(70, 70, 0), qRgb(90, 90, 0), qRgb(110, 110, 0), qRgb(100, 110, 0),
        qRgb(175, 205, 0), qRgb(205, 230, 0), qRgb(230, 255, 0),
        // cyans
        qRgb(0, 50, 50), qRgb(0, 70, 70), qRgb(0, 90, 90), qRgb(0, 110, 110), qRgb(0, 155, 155),
        qRgb(0, 205, 205), qRgb(0, 235, 235), qRgb(0, 255, 255),
        // browns and oranges
        qRgb(70, 30, 0), qRgb(80, 30, 0), qRgb(90, 40, 0), qRgb(195, 95, 0), qRgb(220, 110, 0),
        qRgb(255, 125, 20),
        // reds
        qRgb(80, 0, 0), qRgb(100, 0, 0), qRgb(120, 0, 0), qRgb(140, 0, 0), qRgb(115, 0, 0), qRgb(165, 0, 0),
        qRgb(205, 0, 0)};
    return list;
}

bool SkinPalette::contains(QRgb colour)
{
    const auto& list = entries();
    return std::find(list.begin(), list.end(), colour | 0xff000000u) != list.end();
}
