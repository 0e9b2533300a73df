#include "window/WindowPlacement.h"

#include <QTest>

// The lyrics window is brought back whole: every part of it on one screen.
class tst_FullyOnScreen : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void placesWindowWhole_data()
    {
        QTest::addColumn<QRect>("window");
        QTest::addColumn<QList<QRect>>("screens");
        QTest::addColumn<QPoint>("place");
        const QRect left(0, 0, 1280, 800);
        const QRect right(1280, 0, 1920, 1080);
        QTest::newRow("whole on the screen")
            << QRect(100, 50, 435, 300) << QList<QRect>{left} << QPoint(100, 50);
        QTest::newRow("touching every edge") << QRect(0, 0, 1280, 800) << QList<QRect>{left} << QPoint(0, 0);
        QTest::newRow("above the top") << QRect(300, -20, 435, 300) << QList<QRect>{left} << QPoint(300, 0);
        QTest::newRow("past the right, above the top")
            << QRect(1220, -150, 435, 300) << QList<QRect>{left} << QPoint(845, 0);
        QTest::newRow("below the bottom")
            << QRect(10, 700, 435, 300) << QList<QRect>{left} << QPoint(10, 500);
        QTest::newRow("far away, nearest screen")
            << QRect(9000, 200, 435, 300) << QList<QRect>{left, right} << QPoint(2765, 200);
        QTest::newRow("across two screens, onto the one showing most")
            << QRect(1200, 100, 435, 300) << QList<QRect>{left, right} << QPoint(1280, 100);
        QTest::newRow("whole on the second screen")
            << QRect(1500, 700, 435, 300) << QList<QRect>{left, right} << QPoint(1500, 700);
        QTest::newRow("larger than the screen")
            << QRect(-50, -50, 2000, 900) << QList<QRect>{left} << QPoint(0, 0);
        QTest::newRow("no screens") << QRect(-500, -500, 435, 300) << QList<QRect>{} << QPoint(-500, -500);
    }
    void placesWindowWhole()
    {
        QFETCH(QRect, window);
        QFETCH(QList<QRect>, screens);
        QFETCH(QPoint, place);
        QCOMPARE(WindowPlacement::fullyOnScreen(window, screens), place);
    }
};

QTEST_GUILESS_MAIN(tst_FullyOnScreen)
#include "tst_FullyOnScreen.moc"
