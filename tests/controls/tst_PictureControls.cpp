#include "controls/PictureButton.h"
#include "controls/PictureWidget.h"

#include <QSignalSpy>
#include <QTest>
#include <QWidget>

namespace {
QPixmap solid(const QColor& c)
{
    QImage img(QSize(50, 40), QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(2.0);
    img.fill(c);
    return QPixmap::fromImage(img);
}

// Records the presses, right ones apart, that reach the window behind the
// buttons and pictures.
class Window : public QWidget {
public:
    int presses = 0;
    int rightPresses = 0;

protected:
    void mousePressEvent(QMouseEvent* e) override
    {
        ++presses;
        if (e->button() == Qt::RightButton)
            ++rightPresses;
    }
};
} // namespace

class tst_PictureControls : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pictureForState_data();
    void pictureForState();
    void togglesAreIndependent();
    void rightPressGoesToWindow();
    void paintsLogicalSize();
    void focusIsShown_data();
    void focusIsShown();
    void pictureClick_data();
    void pictureClick();
};

void tst_PictureControls::pictureForState_data()
{
    QTest::addColumn<bool>("twoState");
    QTest::addColumn<bool>("withDown");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<bool>("pressed");
    QTest::addColumn<int>("picture");
    using P = PictureButton::Picture;
    QTest::newRow("plain at rest") << false << false << true << false << false << int(P::Up);
    QTest::newRow("plain held") << false << false << true << false << true << int(P::Pressed);
    QTest::newRow("plain disabled") << false << false << false << false << false << int(P::Disabled);
    QTest::newRow("toggle up") << true << true << true << false << false << int(P::Up);
    QTest::newRow("toggle down") << true << true << true << true << false << int(P::Down);
    QTest::newRow("toggle down and held") << true << true << true << true << true << int(P::Pressed);
    QTest::newRow("toggle down but disabled") << true << true << false << true << false << int(P::Disabled);
    QTest::newRow("toggle without down picture") << true << false << true << true << false << int(P::Pressed);
}

void tst_PictureControls::pictureForState()
{
    QFETCH(bool, twoState);
    QFETCH(bool, withDown);
    QFETCH(bool, enabled);
    QFETCH(bool, checked);
    QFETCH(bool, pressed);
    QFETCH(int, picture);
    PictureButton b;
    b.setTwoState(twoState);
    b.setPictures(solid(Qt::gray), solid(Qt::darkGray), solid(Qt::black),
                  withDown ? solid(Qt::green) : QPixmap());
    b.setChecked(checked);
    b.setDown(pressed);
    b.setEnabled(enabled);
    QCOMPARE(int(b.currentPicture()), picture);
}

void tst_PictureControls::togglesAreIndependent()
{
    QWidget window;
    PictureButton a(&window), b(&window);
    a.setTwoState(true);
    b.setTwoState(true);
    a.setGeometry(0, 0, 20, 20);
    b.setGeometry(30, 0, 20, 20);
    QSignalSpy clicks(&a, &QAbstractButton::clicked);
    QTest::mouseClick(&a, Qt::LeftButton);
    QTest::mouseClick(&b, Qt::LeftButton);
    QVERIFY(a.isChecked() && b.isChecked());
    QTest::mouseClick(&a, Qt::LeftButton);
    QVERIFY(!a.isChecked() && b.isChecked());
    QCOMPARE(clicks.size(), 2);
}

// A right click on a button is the window's: it opens the popup menu there.
void tst_PictureControls::rightPressGoesToWindow()
{
    Window window;
    PictureButton button(&window);
    button.setGeometry(0, 0, 20, 20);
    QSignalSpy clicks(&button, &QAbstractButton::clicked);
    QTest::mouseClick(&button, Qt::RightButton);
    QCOMPARE(window.rightPresses, 1);
    QCOMPARE(clicks.size(), 0);
}

void tst_PictureControls::paintsLogicalSize()
{
    PictureButton b;
    b.setPictures(solid(Qt::red), solid(Qt::gray), solid(Qt::blue));
    QCOMPARE(b.sizeHint(), QSize(25, 20));
    b.resize(b.sizeHint());
    QImage shot(QSize(25, 20), QImage::Format_ARGB32_Premultiplied);
    shot.fill(Qt::white);
    b.render(&shot);
    QCOMPARE(shot.pixelColor(0, 0), QColor(Qt::red));
    QCOMPARE(shot.pixelColor(24, 19), QColor(Qt::red));
    b.setDown(true);
    b.render(&shot);
    QCOMPARE(shot.pixelColor(12, 10), QColor(Qt::blue));
}

void tst_PictureControls::focusIsShown_data()
{
    QTest::addColumn<Qt::FocusReason>("reason");
    QTest::newRow("tabbed to") << Qt::TabFocusReason;
    // The focus coming back when a box closes must show just the same.
    QTest::newRow("the window activated again") << Qt::ActiveWindowFocusReason;
    QTest::newRow("given by the program") << Qt::OtherFocusReason;
}

// Whichever way a button got the focus, a ring shows where Space will press.
void tst_PictureControls::focusIsShown()
{
    QFETCH(Qt::FocusReason, reason);
    QWidget window;
    auto* b = new PictureButton(&window);
    b->setPictures(solid(Qt::red), solid(Qt::gray), solid(Qt::blue));
    b->resize(b->sizeHint());
    b->setFocusPolicy(Qt::TabFocus);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    const auto shot = [b] {
        QImage image(b->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        b->render(&image);
        return image;
    };
    b->clearFocus(); // activating the window may have focused its only tab stop
    const QImage unfocused = shot();
    b->setFocus(reason);
    QVERIFY(b->hasFocus());
    QVERIFY(shot() != unfocused);
}

void tst_PictureControls::pictureClick_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<QPoint>("releaseAt");
    QTest::addColumn<int>("clicks");
    QTest::newRow("left, released on the picture") << Qt::LeftButton << QPoint(30, 10) << 1;
    QTest::newRow("left, released off the picture") << Qt::LeftButton << QPoint(30, 40) << 0;
    QTest::newRow("right button") << Qt::RightButton << QPoint(30, 10) << 0;
}

// A click needs the left button down and up over the picture; every
// press stays with the picture, so an unbound edge never reaches the window.
void tst_PictureControls::pictureClick()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(QPoint, releaseAt);
    QFETCH(int, clicks);
    Window window;
    auto* image = new PictureWidget(&window);
    image->setGeometry(0, 0, 60, 20);
    QSignalSpy clicked(image, &PictureWidget::clicked);
    QSignalSpy downs(image, &PictureWidget::mousePressed);
    QTest::mousePress(image, button, {}, QPoint(10, 10));
    QTest::mouseRelease(image, button, {}, releaseAt);
    QCOMPARE(clicked.count(), clicks);
    QCOMPARE(downs.count(), 1);
    QCOMPARE(window.presses, 0);
}

QTEST_MAIN(tst_PictureControls)
#include "tst_PictureControls.moc"
