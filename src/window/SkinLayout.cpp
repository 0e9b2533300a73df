#include "window/SkinLayout.h"

#include "window/PlayerObjectNames.h"

#include <algorithm>

const QString SkinLayout::FormName = PlayerObjectNames::Main::Window;

const std::vector<SkinLayout::Component>& SkinLayout::components()
{
    using K = Kind;
    using namespace PlayerObjectNames;
    static const std::vector<Component> list = {
        {Main::TopEdge, K::Picture, QRect(0, 0, 306, 5)},
        {Main::LeftEdge, K::Picture, QRect(0, 0, 5, 185)},
        {Main::RightEdge, K::Picture, QRect(301, 0, 5, 185)},
        {Main::BottomEdge, K::Picture, QRect(0, 125, 306, 5)},
        {Main::TitlePlate, K::Picture, QRect(40, 8, 225, 20)},
        {Main::DisplayFrameTop, K::Picture, QRect(40, 32, 225, 4)},
        {Main::DisplayFrameBottom, K::Picture, QRect(40, 80, 225, 4)},
        {Main::DisplayFrameLeft, K::Picture, QRect(40, 36, 4, 44)},
        {Main::DisplayFrameRight, K::Picture, QRect(261, 36, 4, 44)},
        {Main::DisplayPanel, K::Panel, QRect(44, 36, 217, 44)},
        {Main::NormalLamp, K::Lamp, QRect(48, 38, 40, 8)},
        {Main::NormalLampLit, K::Lamp, QRect(48, 38, 40, 8)},
        {Main::RepeatLamp, K::Lamp, QRect(48, 48, 40, 8)},
        {Main::RepeatLampLit, K::Lamp, QRect(48, 48, 40, 8)},
        {Main::RandomLamp, K::Lamp, QRect(48, 58, 40, 8)},
        {Main::RandomLampLit, K::Lamp, QRect(48, 58, 40, 8)},
        {Main::Digits[0], K::Digit, QRect(105, 44, 15, 27)},
        {Main::Digits[1], K::Digit, QRect(125, 44, 15, 27)},
        {Main::Digits[2], K::Digit, QRect(165, 44, 15, 27)},
        {Main::Digits[3], K::Digit, QRect(185, 44, 15, 27)},
        {Main::Digits[4], K::Digit, QRect(220, 44, 15, 27)},
        {Main::Digits[5], K::Digit, QRect(240, 44, 15, 27)},
        {Main::UpperColonDot, K::Dot, QRect(209, 49, 4, 4)},
        {Main::LowerColonDot, K::Dot, QRect(209, 63, 4, 4)},
        {Main::PowerButton, K::ToggleButton, QRect(10, 8, 25, 20)},
        {Main::MinimizeButton, K::ToggleButton, QRect(271, 8, 25, 20)},
        {Main::EjectButton, K::Button, QRect(10, 32, 25, 50)},
        {Main::ModeButton, K::Button, QRect(271, 32, 25, 50)},
        {Main::RewindButton, K::Button, QRect(19, 88, 60, 30)},
        {Main::PlayButton, K::Button, QRect(80, 88, 75, 30)},
        {Main::StopButton, K::Button, QRect(156, 88, 36, 30)},
        {Main::FastForwardButton, K::Button, QRect(193, 88, 60, 30)},
        {Main::ExtendButton, K::ToggleButton, QRect(267, 88, 30, 30)},
        {Main::EditorButton, K::Button, QRect(15, 136, 80, 35)},
        {Main::CompileButton, K::Button, QRect(96, 136, 80, 35)},
        {Main::RelationButton, K::Button, QRect(177, 136, 80, 35)},
        {Main::LyricsButton, K::ToggleButton, QRect(262, 136, 35, 35)},
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
        if (it->name == PlayerObjectNames::Main::BottomEdge)
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
