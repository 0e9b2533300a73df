#include "WindowPlacement.h"

#include <algorithm>
#include <limits>

namespace {
// The part of a window that must lie on one screen for the user to find and
// drag it: a strip across its top.
constexpr int GripWidth = 40;
constexpr int GripHeight = 20;

qint64 distanceSquared(QPoint a, QPoint b)
{
    const qint64 dx = a.x() - b.x();
    const qint64 dy = a.y() - b.y();
    return dx * dx + dy * dy;
}
} // namespace

QPoint WindowPlacement::centred(const QRect& anchor, QSize placed)
{
    // C++ integer division truncates toward zero, as the placement wants.
    return {anchor.left() + (anchor.width() - placed.width()) / 2,
            anchor.top() + (anchor.height() - placed.height()) / 2};
}

QPoint WindowPlacement::keepOnScreen(const QRect& window, const QList<QRect>& screens)
{
    if (screens.isEmpty())
        return window.topLeft();
    const int gripWidth = std::min(GripWidth, window.width());
    const int gripHeight = std::min(GripHeight, window.height());
    const QRect* nearest = nullptr;
    qint64 best = std::numeric_limits<qint64>::max();
    for (const QRect& screen : screens) {
        const QRect shown = screen & window;
        if (shown.width() >= gripWidth && shown.height() >= gripHeight)
            return window.topLeft();
        const qint64 distance = distanceSquared(screen.center(), window.center());
        if (distance < best) {
            best = distance;
            nearest = &screen;
        }
    }
    // Whole on the nearest screen where it fits, else its top-left corner on it.
    const int x = std::max(nearest->left(), std::min(window.left(), nearest->right() + 1 - window.width()));
    const int y = std::max(nearest->top(), std::min(window.top(), nearest->bottom() + 1 - window.height()));
    return {x, y};
}

QPoint WindowPlacement::fullyOnScreen(const QRect& window, const QList<QRect>& screens)
{
    if (screens.isEmpty())
        return window.topLeft();
    const QRect* target = &screens.first();
    qint64 mostShown = -1;
    qint64 nearest = std::numeric_limits<qint64>::max();
    for (const QRect& screen : screens) {
        if (screen.contains(window))
            return window.topLeft();
        const QRect shown = screen & window;
        const qint64 area = shown.isEmpty() ? 0 : qint64(shown.width()) * shown.height();
        const qint64 distance = distanceSquared(screen.center(), window.center());
        if (area > mostShown || (area == mostShown && area == 0 && distance < nearest)) {
            mostShown = area;
            nearest = distance;
            target = &screen;
        }
    }
    const int x = std::max(target->left(), std::min(window.left(), target->right() + 1 - window.width()));
    const int y = std::max(target->top(), std::min(window.top(), target->bottom() + 1 - window.height()));
    return {x, y};
}
