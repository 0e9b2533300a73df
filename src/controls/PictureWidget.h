#pragma once

#include "controls/MouseReportingWidget.h"

#include <QPixmap>

// A picture on a form: the skin's edges, frames, title plate and lamps. It
// keeps every press to itself, so a picture the window binds no handler to
// neither drags the window nor opens its menu; the pointer events and a
// left-button click are passed on as signals for the window to bind.
class PictureWidget : public MouseReportingWidget {
    Q_OBJECT

public:
    explicit PictureWidget(QWidget* owner = nullptr);

    // A picture with a device pixel ratio is shown at its logical size.
    void setPicture(const QPixmap& picture);
    QPixmap picture() const { return picture_; }

Q_SIGNALS:
    // The left button went down and up again over the picture.
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPixmap picture_;
    bool leftPressed_ = false;
};
