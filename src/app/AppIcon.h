#pragma once

#include <QIcon>

// The application icon of every window but the lyrics display: the drawing
// built into the program (the one installed into the icon theme), rendered
// at the theme's usual sizes.
namespace AppIcon {
QIcon icon();
// The drawing built into the program alone.
QIcon builtIn();
} // namespace AppIcon
