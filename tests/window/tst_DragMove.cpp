#include "window/DragMove.h"
#include "window/SkinLayout.h"

#include <QTest>

namespace {
// One pointer move as the window reports it: where the pointer is in client
// coordinates and whether the left button is held.
struct Move {
    QPoint at;
    bool left;
};
} // namespace
Q_DECLARE_METATYPE(QList<Move>)

class tst_DragMove : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void drag_data();
    void drag();
    void dragSources_data();
    void dragSources();
};

void tst_DragMove::drag_data()
{
    QTest::addColumn<QList<Move>>("moves");
    QTest::addColumn<int>("menuAfter"); // the menu closes before this move (-1: never)
    QTest::addColumn<QPoint>("finalPos");

    // The window starts at (100, 200). Each move's X, Y are relative to the
    // window, which the test moves as told, as the real one would.
    QTest::newRow("hover never moves")
        << QList<Move>{{{50, 50}, false}, {{60, 70}, false}} << -1 << QPoint(100, 200);
    QTest::newRow("drag moves by the pointer's movement")
        << QList<Move>{{{50, 50}, false}, {{60, 45}, true}} << -1 << QPoint(110, 195);
    QTest::newRow("a long drag adds up")
        << QList<Move>{{{50, 50}, false}, {{53, 50}, true}, {{55, 52}, true}, {{40, 52}, true}} << -1
        << QPoint(98, 204);
    QTest::newRow("first ever move is pressed")
        << QList<Move>{{{50, 50}, true}, {{52, 51}, true}} << -1 << QPoint(102, 201);
    QTest::newRow("first move after the menu only re-anchors")
        << QList<Move>{{{50, 50}, false}, {{200, 10}, true}, {{205, 10}, true}} << 1 << QPoint(105, 200);
    QTest::newRow("menu closed while hovering")
        << QList<Move>{{{50, 50}, false}, {{90, 90}, false}, {{91, 92}, true}} << 1 << QPoint(101, 202);
    QTest::newRow("release stops the drag")
        << QList<Move>{{{50, 50}, false}, {{55, 50}, true}, {{70, 50}, false}, {{70, 50}, true}} << -1
        << QPoint(105, 200);
}

void tst_DragMove::drag()
{
    QFETCH(QList<Move>, moves);
    QFETCH(int, menuAfter);
    QFETCH(QPoint, finalPos);
    DragMove drag;
    int menuShown = 0;
    QPoint window(100, 200);
    QPoint screenPointer;
    for (int i = 0; i < moves.size(); ++i) {
        if (i == menuAfter)
            menuShown = 1;
        // Moves are given in window coordinates of the window as it was at
        // the start of the step; the pointer's screen position follows.
        screenPointer = window + moves[i].at;
        window = drag.mouseMove(window, moves[i].at, moves[i].left, menuShown);
        QCOMPARE(menuShown, 0);
        // Whatever happened, the anchor is where the pointer is on screen.
        QCOMPARE(drag.anchor(), screenPointer);
    }
    QCOMPARE(window, finalPos);
}

void tst_DragMove::dragSources_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("component");
    QTest::addColumn<bool>("drags");
    QTest::newRow("bare background") << QPoint(260, 100) << 130 << "OndelPlayer" << true;
    QTest::newRow("display panel") << QPoint(150, 75) << 130 << "Shape3" << true;
    QTest::newRow("lit lamp") << QPoint(50, 60) << 130 << "RANDOMImage0" << true;
    QTest::newRow("digit") << QPoint(110, 50) << 130 << "ClockDisp1" << true;
    QTest::newRow("upper colon dot") << QPoint(210, 50) << 130 << "Shape1" << true;
    QTest::newRow("lower colon dot") << QPoint(210, 64) << 130 << "Shape2" << true;
    QTest::newRow("title plate") << QPoint(150, 15) << 130 << "Image1" << false;
    QTest::newRow("display frame") << QPoint(150, 33) << 130 << "Image2" << false;
    QTest::newRow("left edge") << QPoint(2, 60) << 130 << "Image7" << false;
    QTest::newRow("bottom edge folded") << QPoint(150, 127) << 130 << "Image9" << false;
    QTest::newRow("unfolded: old bottom edge is background")
        << QPoint(150, 127) << 183 << "OndelPlayer" << true;
    QTest::newRow("play button") << QPoint(100, 100) << 130 << "Play" << false;
    QTest::newRow("power button") << QPoint(20, 15) << 130 << "Power1" << false;
    QTest::newRow("extended row when unfolded") << QPoint(30, 150) << 183 << "GoSongEditer" << false;
    QTest::newRow("below a folded window") << QPoint(30, 150) << 130 << "" << false;
}

// Which part of the window lies under the pointer, and whether dragging it
// moves the window: bare background and display yes, buttons and frames no.
void tst_DragMove::dragSources()
{
    QFETCH(QPoint, at);
    QFETCH(int, height);
    QFETCH(QString, component);
    QFETCH(bool, drags);
    const QString found = SkinLayout::componentAt(at, height);
    QCOMPARE(found, component);
    QCOMPARE(SkinLayout::dragsWindow(found), drags);
}

QTEST_MAIN(tst_DragMove)
#include "tst_DragMove.moc"
