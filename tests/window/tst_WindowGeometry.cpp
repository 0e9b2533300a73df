#include "window/DragMove.h"
#include "window/SkinLayout.h"
#include "window/WindowClip.h"
#include "window/WindowPlacement.h"

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

// Where the frameless windows sit and move: dragging by the pointer, what
// part of the window is under it, folding the extended row, and placing one
// window centred on another and back on a screen.
class tst_WindowGeometry : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void drag_data();
    void drag();
    void dragSources_data();
    void dragSources();
    void foldAndUnfold_data();
    void foldAndUnfold();
    void visibleRegion_data();
    void visibleRegion();

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

void tst_WindowGeometry::drag_data()
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

void tst_WindowGeometry::drag()
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

void tst_WindowGeometry::dragSources_data()
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
void tst_WindowGeometry::dragSources()
{
    QFETCH(QPoint, at);
    QFETCH(int, height);
    QFETCH(QString, component);
    QFETCH(bool, drags);
    const QString found = SkinLayout::componentAt(at, height);
    QCOMPARE(found, component);
    QCOMPARE(SkinLayout::dragsWindow(found), drags);
}

void tst_WindowGeometry::foldAndUnfold_data()
{
    QTest::addColumn<QList<bool>>("presses"); // extendButton_ down after each press
    QTest::addColumn<bool>("unfolded");
    QTest::newRow("designed start is folded") << QList<bool>{false} << false;
    QTest::newRow("unfolded") << QList<bool>{true} << true;
    QTest::newRow("unfolded then folded again") << QList<bool>{true, false} << false;
    QTest::newRow("three presses end unfolded") << QList<bool>{true, false, true} << true;
}

// Folding changes only the height; the bottom edge and the visible region
// always follow the client area, whatever came before. The extended row
// lies wholly inside when unfolded and wholly outside when folded, and the
// rest of the window is inside either way.
void tst_WindowGeometry::foldAndUnfold()
{
    QFETCH(QList<bool>, presses);
    QFETCH(bool, unfolded);
    int h = WindowClip::clientHeight(false);
    for (bool down : presses)
        h = WindowClip::clientHeight(down);
    QCOMPARE(h, WindowClip::clientHeight(unfolded));
    QCOMPARE(WindowClip::bottomEdgeTop(h), h - SkinLayout::EdgeThickness);
    const QSize client(SkinLayout::ClientWidth, h);
    QCOMPARE(WindowClip::visibleRegion(client, client), QRect(QPoint(0, 0), client));
    const QRect above(0, 0, SkinLayout::ClientWidth, WindowClip::bottomEdgeTop(h));
    const QRect row = SkinLayout::rect("GoSongEditer") | SkinLayout::rect("WordsOn1");
    QCOMPARE(above.contains(row), unfolded);
    QCOMPARE(QRect(QPoint(0, 0), client).intersects(row), unfolded);
    QVERIFY(
        above.contains(SkinLayout::rect("Play") | SkinLayout::rect("Power1") | SkinLayout::rect("Shape3")));
}

void tst_WindowGeometry::visibleRegion_data()
{
    QTest::addColumn<QSize>("outer");
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QRect>("region");
    QTest::newRow("frameless") << QSize(306, 130) << QSize(306, 130) << QRect(0, 0, 306, 130);
    QTest::newRow("border 3, title 19") << QSize(312, 155) << QSize(306, 130) << QRect(3, 22, 306, 130);
    QTest::newRow("unfolded with frame") << QSize(312, 208) << QSize(306, 183) << QRect(3, 22, 306, 183);
    QTest::newRow("odd border truncates") << QSize(311, 140) << QSize(306, 130) << QRect(2, 8, 306, 130);
}

void tst_WindowGeometry::visibleRegion()
{
    QFETCH(QSize, outer);
    QFETCH(QSize, client);
    QFETCH(QRect, region);
    QCOMPARE(WindowClip::visibleRegion(outer, client), region);
}

QTEST_MAIN(tst_WindowGeometry)
#include "tst_WindowGeometry.moc"
