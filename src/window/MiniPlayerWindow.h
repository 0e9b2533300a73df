#pragma once

#include "window/DragMove.h"

#include <QRect>
#include <QSize>
#include <QWidget>

class PlayerPopupMenu;
class QMouseEvent;
class DigitalDisplay;

// The mini player window: a strip of six lime-on-black digits (track,
// minutes, seconds) with a colon and a thin bevel, standing in for the main
// window while the player runs in mini mode. The window keeps the outer size
// the placement arithmetic centres with; only the strip in its middle is
// visible and takes the pointer. The left button drags it; the right button
// opens the main window's popup menu, through which every command stays
// reachable. Presses and moves on the bevel and the colon dots are left alone.
class MiniPlayerWindow : public QWidget {
    Q_OBJECT

public:
    // The size the mini window is centred with, and the visible strip within it.
    static constexpr QSize OuterSize{160, 53};
    static constexpr QRect DrawnArea{30, 13, 99, 26};

    // owner: the main window; popupMenu: its menu, whose flag the drag shares.
    MiniPlayerWindow(PlayerPopupMenu& popupMenu, QWidget* owner);

    // The digits DigitalDisplay1 … DigitalDisplay6 (index 1 … 6).
    DigitalDisplay* digit(int index) const;

public Q_SLOTS:
    void onPanelMousePress(QMouseEvent* event);
    void onPanelMouseMove(QMouseEvent* event);

Q_SIGNALS:
    // The window system asked the strip to close: the player decides.
    void closeRequested();
    // The strip came back from being minimised.
    void restored();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createForm();

    PlayerPopupMenu& popupMenu_;
    DragMove drag_; // the strip's own, apart from the main window's
    bool dragging_ = false;
    DigitalDisplay* digits_[6] = {};
};
