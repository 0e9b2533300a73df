#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

// Where windows go relative to each other and to the screens.
namespace WindowPlacement {
// The top-left corner that centres a window of outer size `placed` on a
// window at `anchor`: each offset is half the difference of the outer sizes,
// truncated toward zero (a difference of -147 gives -73), so centring one
// window on another and back again returns to the same place.
QPoint centred(const QRect& anchor, QSize placed);

// A window at `window` that shows too little of itself on every screen (a
// monitor was unplugged, the screen became smaller) is moved onto the screen
// nearest to it, whole where it fits; otherwise it stays where it is.
QPoint keepOnScreen(const QRect& window, const QList<QRect>& screens);

// A window that does not lie whole on one screen is moved onto the screen it
// shows most of (the nearest when it shows on none), whole where it fits,
// else its top-left corner on it; one that does stays where it is.
QPoint fullyOnScreen(const QRect& window, const QList<QRect>& screens);
} // namespace WindowPlacement
