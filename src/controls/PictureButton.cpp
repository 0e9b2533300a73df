#include "controls/PictureButton.h"

#include <QFocusEvent>
#include <QPainter>

PictureButton::PictureButton(QWidget* parent) : QAbstractButton(parent)
{
    setAutoExclusive(false);
    // Clicking a skin button must not take the focus from where it is;
    // tab stops are granted by the window where it wants them.
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void PictureButton::setPicture(Picture which, const QPixmap& picture)
{
    pictures_[int(which)] = picture;
    updateGeometry();
    update();
}

void PictureButton::setPictures(const QPixmap& up, const QPixmap& disabled, const QPixmap& pressed,
                                const QPixmap& down)
{
    pictures_[int(Picture::Up)] = up;
    pictures_[int(Picture::Disabled)] = disabled;
    pictures_[int(Picture::Pressed)] = pressed;
    pictures_[int(Picture::Down)] = down;
    updateGeometry();
    update();
}

QPixmap PictureButton::picture(Picture which) const
{
    return pictures_[int(which)];
}

PictureButton::Picture PictureButton::currentPicture() const
{
    auto have = [this](Picture p) { return !pictures_[int(p)].isNull(); };
    if (!isEnabled())
        return have(Picture::Disabled) ? Picture::Disabled : Picture::Up;
    if (isDown())
        return have(Picture::Pressed) ? Picture::Pressed : Picture::Up;
    if (isCheckable() && isChecked()) {
        if (have(Picture::Down))
            return Picture::Down;
        return have(Picture::Pressed) ? Picture::Pressed : Picture::Up;
    }
    return Picture::Up;
}

QSize PictureButton::sizeHint() const
{
    const QPixmap& up = pictures_[int(Picture::Up)];
    if (up.isNull())
        return QSize(16, 16);
    return (QSizeF(up.size()) / up.devicePixelRatio()).toSize();
}

void PictureButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPixmap& pm = pictures_[int(currentPicture())];
    if (!pm.isNull())
        painter.drawPixmap(QRect(QPoint(0, 0), size()), pm);
    if (keyboardFocus_ && hasFocus()) {
        // A keyboard user needs to see which key Space will press.
        QPen pen(QColor(0, 173, 255));
        pen.setStyle(Qt::DotLine);
        painter.setPen(pen);
        painter.drawRect(rect().adjusted(2, 2, -3, -3));
    }
}

void PictureButton::focusInEvent(QFocusEvent* event)
{
    keyboardFocus_ = event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    QAbstractButton::focusInEvent(event);
}

void PictureButton::focusOutEvent(QFocusEvent* event)
{
    keyboardFocus_ = false;
    QAbstractButton::focusOutEvent(event);
}
