#include "core/ColorValue.h"

#include <QGuiApplication>

namespace {
struct SystemRole {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// System colour numbers 0-26 mapped onto the roles that play the same part in Qt.
constexpr SystemRole SystemRoles[] = {
    {QPalette::Active, QPalette::Button},            // 0 scroll bar
    {QPalette::Active, QPalette::Dark},              // 1 desktop
    {QPalette::Active, QPalette::Highlight},         // 2 active caption
    {QPalette::Inactive, QPalette::Highlight},       // 3 inactive caption
    {QPalette::Active, QPalette::Window},            // 4 menu
    {QPalette::Active, QPalette::Base},              // 5 window background
    {QPalette::Active, QPalette::Shadow},            // 6 window frame
    {QPalette::Active, QPalette::WindowText},        // 7 menu text
    {QPalette::Active, QPalette::Text},              // 8 window text
    {QPalette::Active, QPalette::HighlightedText},   // 9 caption text
    {QPalette::Active, QPalette::Window},            // 10 active border
    {QPalette::Inactive, QPalette::Window},          // 11 inactive border
    {QPalette::Active, QPalette::Mid},               // 12 application workspace
    {QPalette::Active, QPalette::Highlight},         // 13 highlight
    {QPalette::Active, QPalette::HighlightedText},   // 14 highlighted text
    {QPalette::Active, QPalette::Button},            // 15 button face
    {QPalette::Active, QPalette::Dark},              // 16 button shadow
    {QPalette::Disabled, QPalette::Text},            // 17 grey text
    {QPalette::Active, QPalette::ButtonText},        // 18 button text
    {QPalette::Inactive, QPalette::HighlightedText}, // 19 inactive caption text
    {QPalette::Active, QPalette::Light},             // 20 button highlight
    {QPalette::Active, QPalette::Shadow},            // 21 3D dark shadow
    {QPalette::Active, QPalette::Midlight},          // 22 3D light
    {QPalette::Active, QPalette::ToolTipText},       // 23 tooltip text
    {QPalette::Active, QPalette::ToolTipBase},       // 24 tooltip background
    {QPalette::Active, QPalette::Base},              // 25 (unused)
    {QPalette::Active, QPalette::Link},              // 26 hot-tracked item
};
} // namespace

QColor ColorValue::toQColor(quint32 value, const QPalette& palette)
{
    if (value & SystemFlag) {
        const quint32 n = value & ~SystemFlag;
        if (n < std::size(SystemRoles))
            return palette.color(SystemRoles[n].group, SystemRoles[n].role);
        return QColor(Qt::black);
    }
    return QColor(int(value & 0xFF), int(value >> 8 & 0xFF), int(value >> 16 & 0xFF));
}

QColor ColorValue::toQColor(quint32 value)
{
    return toQColor(value, QGuiApplication::palette());
}
