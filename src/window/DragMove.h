#pragma once

#include <QPoint>

// Moving the frameless main window by dragging it with the left button.
// Positions are kept as window position plus event position, so the window
// moves by exactly the pointer's movement. The popup-menu-shown flag (1 after
// a right click opened the popup menu, shared with the mini window) makes the
// first move after the menu closed only re-anchor: the pointer may have
// travelled far while the menu was open.
class DragMove {
public:
    // windowPos: the window's Left and Top; eventPos: X and Y of the move
    // event, best taken relative to the window's client area so that every
    // control reports in the same terms. Returns the window's new position
    // (windowPos itself when the window does not move); clears the flag when
    // it was set.
    QPoint mouseMove(QPoint windowPos, QPoint eventPos, bool leftButtonHeld, int& popupMenuShown);

    // Forget the anchor, as at program start.
    void reset() { hasLastX_ = hasLastY_ = false; }
    bool hasAnchor() const { return hasLastX_ && hasLastY_; }
    QPoint anchor() const { return QPoint(lastX_, lastY_); }

private:
    int lastX_ = 0;
    int lastY_ = 0;
    bool hasLastX_ = false;
    bool hasLastY_ = false;
};
