#pragma once

#include "controls/MouseReportingWidget.h"

// A filled rectangle or circle with a one-pixel outline, as the display
// panel and the colon dots of the main window are drawn. Pointer events are
// passed on as signals so the window binds them to its own handlers.
class ShapeWidget : public MouseReportingWidget {
    Q_OBJECT

public:
    enum class Kind { Rectangle, Circle };

    ShapeWidget(Kind kind, quint32 brushColor, quint32 penColor, QWidget* owner = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Kind kind_;
    quint32 brushColor_;
    quint32 penColor_;
};
