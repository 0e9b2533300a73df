#include "controls/ShapeWidget.h"

#include "core/ColorValue.h"

#include <QMouseEvent>
#include <QPainter>

ShapeWidget::ShapeWidget(Kind kind, quint32 brushColor, quint32 penColor, QWidget* owner)
    : MouseReportingWidget(owner), kind_(kind), brushColor_(brushColor), penColor_(penColor)
{
}

void ShapeWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QColor brush = ColorValue::toQColor(brushColor_, palette());
    const QColor pen = ColorValue::toQColor(penColor_, palette());
    if (kind_ == Kind::Rectangle) {
        painter.fillRect(rect(), pen);
        painter.fillRect(rect().adjusted(1, 1, -1, -1), brush);
        return;
    }
    // A circle in the largest centred square, smoothed so tiny dots stay round.
    const int side = qMin(width(), height());
    const QRectF square((width() - side) / 2.0, (height() - side) / 2.0, side, side);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(pen, 1));
    painter.setBrush(brush);
    painter.drawEllipse(square.adjusted(0.5, 0.5, -0.5, -0.5));
}
