#pragma once

#include <QWidget>

// A control that reports the pointer's presses, moves and releases to its
// form, which binds them to its own handlers (the panel group of the main
// window drags the window and shows the lengths through them).
class MouseReportingWidget : public QWidget {
    Q_OBJECT

public:
    using QWidget::QWidget;

Q_SIGNALS:
    void mousePressed(QMouseEvent* event);
    void mouseMoved(QMouseEvent* event);
    void mouseReleased(QMouseEvent* event);

protected:
    void mousePressEvent(QMouseEvent* event) override { Q_EMIT mousePressed(event); }
    void mouseMoveEvent(QMouseEvent* event) override { Q_EMIT mouseMoved(event); }
    void mouseReleaseEvent(QMouseEvent* event) override { Q_EMIT mouseReleased(event); }
};
