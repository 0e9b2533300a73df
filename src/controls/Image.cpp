#include "controls/Image.h"

#include <QMouseEvent>
#include <QPainter>

TImage::TImage(QWidget* owner) : MouseReportingWidget(owner)
{
}

void TImage::setPicture(const QPixmap& picture)
{
    picture_ = picture;
    update();
}

void TImage::paintEvent(QPaintEvent*)
{
    if (picture_.isNull())
        return;
    QPainter painter(this);
    painter.drawPixmap(QPointF(0, 0), picture_);
}

void TImage::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        leftPressed_ = true;
    MouseReportingWidget::mousePressEvent(event);
}

void TImage::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click =
        event->button() == Qt::LeftButton && leftPressed_ && rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        leftPressed_ = false;
    MouseReportingWidget::mouseReleaseEvent(event);
    if (click)
        Q_EMIT OnClick();
}
