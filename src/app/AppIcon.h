#pragma once

#include <QIcon>

// The application icon of every window but the lyrics display: the icon
// theme's when the program is installed, else the drawing built into the
// program, rendered at the theme's usual sizes.
namespace AppIcon {
QIcon icon();
// The drawing built into the program alone.
QIcon builtIn();
} // namespace AppIcon
