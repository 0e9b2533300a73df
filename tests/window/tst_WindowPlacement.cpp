#include "window/WindowPlacement.h"

#include <QTest>

class tst_WindowPlacement : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void centred_data()
    {
        QTest::addColumn<QRect>("anchor");
        QTest::addColumn<QSize>("placed");
        QTest::addColumn<QPoint>("topLeft");
        QTest::newRow("strip on the folded window")
            << QRect(200, 150, 306, 130) << QSize(160, 53) << QPoint(273, 188);
        QTest::newRow("folded window back on the strip")
            << QRect(273, 188, 160, 53) << QSize(306, 130) << QPoint(200, 150);
        // Odd differences round toward zero, not down.
        QTest::newRow("difference -147 gives -73")
            << QRect(100, 100, 160, 53) << QSize(307, 53) << QPoint(27, 100);
        QTest::newRow("difference 147 gives 73")
            << QRect(100, 100, 307, 53) << QSize(160, 53) << QPoint(173, 100);
        QTest::newRow("difference -77 gives -38 at negative places")
            << QRect(-500, -20, 160, 53) << QSize(160, 130) << QPoint(-500, -58);
    }

    void centred()
    {
        QFETCH(QRect, anchor);
        QFETCH(QSize, placed);
        QFETCH(QPoint, topLeft);
        QCOMPARE(WindowPlacement::centred(anchor, placed), topLeft);
    }

    // Into mini mode and back, folded or unfolded, from anywhere: the full
    // window returns to exactly where it was.
    void roundTripKeepsThePlace_data()
    {
        QTest::addColumn<QRect>("main");
        QTest::newRow("folded") << QRect(200, 150, 306, 130);
        QTest::newRow("unfolded") << QRect(201, 151, 306, 183);
        QTest::newRow("left of the screen") << QRect(-333, 7, 306, 183);
    }

    void roundTripKeepsThePlace()
    {
        QFETCH(QRect, main);
        const QPoint strip = WindowPlacement::centred(main, QSize(160, 53));
        QCOMPARE(WindowPlacement::centred(QRect(strip, QSize(160, 53)), main.size()), main.topLeft());
    }

    void keepOnScreen_data()
    {
        QTest::addColumn<QRect>("window");
        QTest::addColumn<QList<QRect>>("screens");
        QTest::addColumn<QPoint>("topLeft");
        const QList<QRect> one{QRect(0, 0, 1024, 768)};
        const QList<QRect> two{QRect(0, 0, 1024, 768), QRect(1024, 0, 1280, 1024)};
        QTest::newRow("on the screen stays") << QRect(100, 100, 306, 130) << one << QPoint(100, 100);
        QTest::newRow("half off the edge stays") << QRect(900, 700, 306, 130) << one << QPoint(900, 700);
        QTest::newRow("on the second screen stays") << QRect(2000, 900, 306, 130) << two << QPoint(2000, 900);
        QTest::newRow("the second screen was unplugged")
            << QRect(2000, 900, 306, 130) << one << QPoint(718, 638);
        QTest::newRow("the screen became smaller")
            << QRect(1500, 1100, 306, 130) << QList<QRect>{QRect(0, 0, 800, 600)} << QPoint(494, 470);
        QTest::newRow("only a corner shows") << QRect(-290, -120, 306, 130) << one << QPoint(0, 0);
        QTest::newRow("above the screens") << QRect(300, -5000, 306, 130) << two << QPoint(300, 0);
        QTest::newRow("no screens: left alone")
            << QRect(-9000, 0, 306, 130) << QList<QRect>{} << QPoint(-9000, 0);
    }

    void keepOnScreen()
    {
        QFETCH(QRect, window);
        QFETCH(QList<QRect>, screens);
        QFETCH(QPoint, topLeft);
        QCOMPARE(WindowPlacement::keepOnScreen(window, screens), topLeft);
    }
};

QTEST_GUILESS_MAIN(tst_WindowPlacement)
#include "tst_WindowPlacement.moc"
