#include "controls/PictureWidget.h"

#include <QMouseEvent>
#include <QPainter>

PictureWidget::PictureWidget(QWidget* owner) : MouseReportingWidget(owner)
{
}

void PictureWidget::setPicture(const QPixmap& picture)
{
    picture_ = picture;
    update();
}

void PictureWidget::paintEvent(QPaintEvent*)
{
    if (picture_.isNull())
        return;
    QPainter painter(this);
    painter.drawPixmap(QPointF(0, 0), picture_);
}

void PictureWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        leftPressed_ = true;
    MouseReportingWidget::mousePressEvent(event);
}

void PictureWidget::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click =
        event->button() == Qt::LeftButton && leftPressed_ && rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        leftPressed_ = false;
    MouseReportingWidget::mouseReleaseEvent(event);
    if (click)
        Q_EMIT clicked();
}
