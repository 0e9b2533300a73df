#include "MiniPlayerWindow.h"

#include "controls/DigitalDisplay.h"
#include "controls/ShapeWidget.h"
#include "window/PlayerObjectNames.h"
#include "window/PlayerPopupMenu.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QWindow>

namespace {
constexpr quint32 Lime = 0x0000FF00;
constexpr quint32 Silver = 0x00C0C0C0;
constexpr quint32 Grey = 0x00808080;

// Digit lefts within the strip; every digit is 10 × 18 at top 4.
constexpr int DigitLefts[6] = {4, 17, 39, 52, 71, 84};

bool compositorMovesWindows()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}
} // namespace

MiniPlayerWindow::MiniPlayerWindow(PlayerPopupMenu& popupMenu, QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint), popupMenu_(popupMenu)
{
    setObjectName(PlayerObjectNames::Mini::Window);
    setWindowTitle(QStringLiteral("MiniCDPlayer"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    setFixedSize(OuterSize);
    setMouseTracking(true);
    setAccessibleName(QStringLiteral("Mini player"));

    const QPoint origin = DrawnArea.topLeft();
    for (int i = 0; i < 6; ++i) {
        auto* display = new DigitalDisplay(this);
        display->setObjectName(PlayerObjectNames::Mini::Digits[i]);
        display->setGeometry(QRect(origin + QPoint(DigitLefts[i], 4), QSize(10, 18)));
        display->setForColor(Lime);
        display->setBarWidth(2);
        display->setMouseTracking(true);
        connect(display, &DigitalDisplay::mousePressed, this, &MiniPlayerWindow::onPanelMousePress);
        connect(display, &DigitalDisplay::mouseMoved, this, &MiniPlayerWindow::onPanelMouseMove);
        connect(display, &DigitalDisplay::mouseReleased, this, &MiniPlayerWindow::mouseReleaseEvent);
        digits_[i] = display;
    }
    // The colon and the bevel take their pointer events and do nothing with them.
    const struct {
        QLatin1String name;
        ShapeWidget::Kind kind;
        QRect rect;
        quint32 colour;
    } shapes[] = {
        {PlayerObjectNames::Mini::UpperColonDot, ShapeWidget::Kind::Circle, {65, 8, 3, 3}, Lime},
        {PlayerObjectNames::Mini::LowerColonDot, ShapeWidget::Kind::Circle, {65, 16, 3, 3}, Lime},
        {PlayerObjectNames::Mini::TopEdge, ShapeWidget::Kind::Rectangle, {0, 0, 99, 1}, Silver},
        {PlayerObjectNames::Mini::LeftEdge, ShapeWidget::Kind::Rectangle, {0, 0, 1, 26}, Silver},
        {PlayerObjectNames::Mini::BottomEdge, ShapeWidget::Kind::Rectangle, {0, 25, 99, 1}, Grey},
        {PlayerObjectNames::Mini::RightEdge, ShapeWidget::Kind::Rectangle, {98, 0, 1, 25}, Grey},
    };
    for (const auto& s : shapes) {
        auto* shape = new ShapeWidget(s.kind, s.colour, s.colour, this);
        shape->setObjectName(s.name);
        shape->setGeometry(s.rect.translated(origin));
    }
    createForm();
}

DigitalDisplay* MiniPlayerWindow::digit(int index) const
{
    return index >= 1 && index <= 6 ? digits_[index - 1] : nullptr;
}

// Without a frame the outer size is the client size: the visible region is
// the strip alone, so the rest of the window neither shows nor takes clicks.
void MiniPlayerWindow::createForm()
{
    setMask(QRegion(DrawnArea));
}

void MiniPlayerWindow::onPanelMousePress(QMouseEvent* event)
{
    if (event->buttons() & Qt::RightButton) {
        popupMenu_.popupAtPointer(event->globalPosition().toPoint());
        return;
    }
    if (event->button() == Qt::LeftButton) {
        dragging_ = true;
        // Anchor where the button went down, so the drag starts from here
        // even without a hover move since the strip last moved. The menu's
        // flag is left for the first move to take.
        int keepFlag = 0;
        drag_.mouseMove(pos(), event->globalPosition().toPoint() - pos(), false, keepFlag);
    }
}

void MiniPlayerWindow::onPanelMouseMove(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton))
        dragging_ = false;
    if (compositorMovesWindows()) {
        if (dragging_ && windowHandle() && windowHandle()->startSystemMove())
            dragging_ = false;
        return;
    }
    // Left + X is the pointer's screen position, whichever control reports the move.
    const QPoint left = pos();
    const QPoint moved =
        drag_.mouseMove(left, event->globalPosition().toPoint() - left, dragging_, popupMenu_.dragging);
    if (moved != left)
        move(moved);
}

void MiniPlayerWindow::mousePressEvent(QMouseEvent* event)
{
    onPanelMousePress(event);
}

void MiniPlayerWindow::mouseMoveEvent(QMouseEvent* event)
{
    onPanelMouseMove(event);
}

void MiniPlayerWindow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        dragging_ = false;
}

void MiniPlayerWindow::closeEvent(QCloseEvent* event)
{
    event->ignore();
    Q_EMIT closeRequested();
}

void MiniPlayerWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange) {
        const auto* change = static_cast<QWindowStateChangeEvent*>(event);
        if ((change->oldState() & Qt::WindowMinimized) && !(windowState() & Qt::WindowMinimized))
            Q_EMIT restored();
    }
    QWidget::changeEvent(event);
}

void MiniPlayerWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    setMask(QRegion(DrawnArea));
    // The strip takes the keyboard from the window it replaces. Asked of the
    // window itself: while the hidden main window still holds the focus, Qt
    // counts its transient strip as active already and would ask nothing.
    if (windowHandle())
        windowHandle()->requestActivate();
}
