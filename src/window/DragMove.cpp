#include "window/DragMove.h"

QPoint DragMove::mouseMove(QPoint windowPos, QPoint eventPos, bool leftButtonHeld, int& popupMenuShown)
{
    const int left = windowPos.x();
    const int top = windowPos.y();
    const int x = eventPos.x();
    const int y = eventPos.y();
    if (!hasLastX_) {
        lastX_ = left + x;
        hasLastX_ = true;
    }
    if (!hasLastY_) {
        lastY_ = top + y;
        hasLastY_ = true;
    }
    QPoint result = windowPos;
    if (popupMenuShown == 1) {
        popupMenuShown = 0;
    }
    else if (leftButtonHeld) {
        result = QPoint(left + (left + x - lastX_), top + (top + y - lastY_));
    }
    lastX_ = left + x;
    lastY_ = top + y;
    return result;
}
