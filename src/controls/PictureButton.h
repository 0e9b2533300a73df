#pragma once

#include <QAbstractButton>
#include <QPixmap>

// A button drawn entirely from pictures. A plain button shows its normal,
// disabled or pressed picture; a two-state button stays down after a click
// until clicked again and shows its up, disabled, pressed or down picture.
// Every two-state button is a toggle of its own (never exclusive). Only the
// left button operates it; other presses go on to the parent window, so a
// right click on a button opens the window's menu.
class PictureButton : public QAbstractButton {
    Q_OBJECT

public:
    enum class Picture { Up, Disabled, Pressed, Down };

    explicit PictureButton(QWidget* parent = nullptr);

    void setPicture(Picture which, const QPixmap& picture);
    // Pictures with a device pixel ratio are shown at their logical size.
    void setPictures(const QPixmap& up, const QPixmap& disabled, const QPixmap& pressed,
                     const QPixmap& down = QPixmap());
    QPixmap picture(Picture which) const;

    void setTwoState(bool twoState) { setCheckable(twoState); }
    bool twoState() const { return isCheckable(); }

    // The picture the current state selects: disabled before pressed before
    // down; a missing down picture falls back to pressed, any other to up.
    Picture currentPicture() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QPixmap pictures_[4];
};
