#include "window/SkinLayout.h"

#include <algorithm>

const QString SkinLayout::FormName = QStringLiteral("OndelPlayer");

const std::vector<SkinLayout::Component>& SkinLayout::components()
{
    using K = Kind;
    static const std::vector<Component> list = {
        {QStringLiteral("Image6"), K::Picture, QRect(0, 0, 306, 5)},
        {QStringLiteral("Image7"), K::Picture, QRect(0, 0, 5, 185)},
        {QStringLiteral("Image8"), K::Picture, QRect(301, 0, 5, 185)},
        {QStringLiteral("Image9"), K::Picture, QRect(0, 125, 306, 5)},
        {QStringLiteral("Image1"), K::Picture, QRect(40, 8, 225, 20)},
        {QStringLiteral("Image2"), K::Picture, QRect(40, 32, 225, 4)},
        {QStringLiteral("Image3"), K::Picture, QRect(40, 80, 225, 4)},
        {QStringLiteral("Image4"), K::Picture, QRect(40, 36, 4, 44)},
        {QStringLiteral("Image5"), K::Picture, QRect(261, 36, 4, 44)},
        {QStringLiteral("Shape3"), K::Panel, QRect(44, 36, 217, 44)},
        {QStringLiteral("NORMALImage1"), K::Lamp, QRect(48, 38, 40, 8)},
        {QStringLiteral("NORMALImage0"), K::Lamp, QRect(48, 38, 40, 8)},
        {QStringLiteral("REPEATImage1"), K::Lamp, QRect(48, 48, 40, 8)},
        {QStringLiteral("REPEATImage0"), K::Lamp, QRect(48, 48, 40, 8)},
        {QStringLiteral("RANDOMImage1"), K::Lamp, QRect(48, 58, 40, 8)},
        {QStringLiteral("RANDOMImage0"), K::Lamp, QRect(48, 58, 40, 8)},
        {QStringLiteral("ClockDisp1"), K::Digit, QRect(105, 44, 15, 27)},
        {QStringLiteral("ClockDisp2"), K::Digit, QRect(125, 44, 15, 27)},
        {QStringLiteral("ClockDisp3"), K::Digit, QRect(165, 44, 15, 27)},
        {QStringLiteral("ClockDisp4"), K::Digit, QRect(185, 44, 15, 27)},
        {QStringLiteral("ClockDisp5"), K::Digit, QRect(220, 44, 15, 27)},
        {QStringLiteral("ClockDisp6"), K::Digit, QRect(240, 44, 15, 27)},
        {QStringLiteral("Shape1"), K::Dot, QRect(209, 49, 4, 4)},
        {QStringLiteral("Shape2"), K::Dot, QRect(209, 63, 4, 4)},
        {QStringLiteral("Power1"), K::ToggleButton, QRect(10, 8, 25, 20)},
        {QStringLiteral("MinimizeButtom1"), K::ToggleButton, QRect(271, 8, 25, 20)},
        {QStringLiteral("Eject1"), K::Button, QRect(10, 32, 25, 50)},
        {QStringLiteral("SetMode"), K::Button, QRect(271, 32, 25, 50)},
        {QStringLiteral("Rew"), K::Button, QRect(19, 88, 60, 30)},
        {QStringLiteral("Play"), K::Button, QRect(80, 88, 75, 30)},
        {QStringLiteral("Stop"), K::Button, QRect(156, 88, 36, 30)},
        {QStringLiteral("FF"), K::Button, QRect(193, 88, 60, 30)},
        {QStringLiteral("ExtendedButtom1"), K::ToggleButton, QRect(267, 88, 30, 30)},
        {QStringLiteral("GoSongEditer"), K::Button, QRect(15, 136, 80, 35)},
        {QStringLiteral("Compile"), K::Button, QRect(96, 136, 80, 35)},
        {QStringLiteral("Relation"), K::Button, QRect(177, 136, 80, 35)},
        {QStringLiteral("WordsOn1"), K::ToggleButton, QRect(262, 136, 35, 35)},
    };
    return list;
}

namespace {
const SkinLayout::Component* find(const QString& name)
{
    const auto& list = SkinLayout::components();
    auto it = std::find_if(list.begin(), list.end(), [&](const auto& c) { return c.name == name; });
    return it == list.end() ? nullptr : &*it;
}
} // namespace

QRect SkinLayout::rect(const QString& name)
{
    const Component* c = find(name);
    return c ? c->rect : QRect();
}

SkinLayout::Kind SkinLayout::kind(const QString& name)
{
    const Component* c = find(name);
    return c ? c->kind : Kind::Picture;
}

QString SkinLayout::componentAt(QPoint clientPos, int clientHeight)
{
    if (clientPos.x() < 0 || clientPos.x() >= ClientWidth || clientPos.y() < 0 ||
        clientPos.y() >= clientHeight)
        return QString();
    const auto& list = components();
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        QRect r = it->rect;
        if (it->name == QLatin1String("Image9"))
            r.moveTop(clientHeight - EdgeThickness);
        if (r.contains(clientPos))
            return it->name;
    }
    return FormName;
}

bool SkinLayout::dragsWindow(const QString& name)
{
    if (name == FormName)
        return true;
    const Component* c = find(name);
    if (!c)
        return false;
    switch (c->kind) {
    case Kind::Panel:
    case Kind::Lamp:
    case Kind::Digit:
    case Kind::Dot:
        return true;
    default:
        return false;
    }
}
