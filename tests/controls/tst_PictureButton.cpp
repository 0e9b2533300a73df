#include "controls/PictureButton.h"

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

// Records right presses that reach the window behind the buttons.
class Window : public QWidget {
public:
    int rightPresses = 0;

protected:
    void mousePressEvent(QMouseEvent* e) override
    {
        if (e->button() == Qt::RightButton)
            ++rightPresses;
    }
};
} // namespace

class tst_PictureButton : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pictureForState_data();
    void pictureForState();
    void togglesAreIndependent();
    void rightPressGoesToWindow();
    void paintsLogicalSize();
};

void tst_PictureButton::pictureForState_data()
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

void tst_PictureButton::pictureForState()
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

void tst_PictureButton::togglesAreIndependent()
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
void tst_PictureButton::rightPressGoesToWindow()
{
    Window window;
    PictureButton button(&window);
    button.setGeometry(0, 0, 20, 20);
    QSignalSpy clicks(&button, &QAbstractButton::clicked);
    QTest::mouseClick(&button, Qt::RightButton);
    QCOMPARE(window.rightPresses, 1);
    QCOMPARE(clicks.size(), 0);
}

void tst_PictureButton::paintsLogicalSize()
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

QTEST_MAIN(tst_PictureButton)
#include "tst_PictureButton.moc"
