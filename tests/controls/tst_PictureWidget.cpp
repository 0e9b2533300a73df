#include "controls/PictureWidget.h"

#include <QSignalSpy>
#include <QTest>

namespace {
// Counts the presses that reach the window behind a picture.
class Window : public QWidget {
public:
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
};
} // namespace

class tst_PictureWidget : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void click_data()
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
    void click()
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
};

QTEST_MAIN(tst_PictureWidget)
#include "tst_PictureWidget.moc"
