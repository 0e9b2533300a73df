#include "window/SkinLayout.h"
#include "window/WindowClip.h"

#include <QTest>

class tst_WindowClip : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void foldAndUnfold_data();
    void foldAndUnfold();
    void visibleRegion_data();
    void visibleRegion();
};

void tst_WindowClip::foldAndUnfold_data()
{
    QTest::addColumn<QList<bool>>("presses"); // extendButton_ down after each press
    QTest::addColumn<int>("height");
    QTest::newRow("designed start is folded") << QList<bool>{false} << 130;
    QTest::newRow("unfolded") << QList<bool>{true} << 183;
    QTest::newRow("unfolded then folded again") << QList<bool>{true, false} << 130;
    QTest::newRow("three presses end unfolded") << QList<bool>{true, false, true} << 183;
}

// Folding changes only the height; the bottom edge and the visible region
// always follow the client area, whatever came before.
void tst_WindowClip::foldAndUnfold()
{
    QFETCH(QList<bool>, presses);
    QFETCH(int, height);
    int h = WindowClip::clientHeight(false);
    for (bool down : presses)
        h = WindowClip::clientHeight(down);
    QCOMPARE(h, height);
    QCOMPARE(WindowClip::bottomEdgeTop(h), height - 5);
    const QSize client(SkinLayout::ClientWidth, h);
    QCOMPARE(WindowClip::visibleRegion(client, client), QRect(0, 0, 306, height));
    // The extended row lies wholly inside when unfolded and wholly outside when folded.
    const QRect row = SkinLayout::rect("GoSongEditer") | SkinLayout::rect("WordsOn1");
    QCOMPARE(QRect(0, 0, 306, WindowClip::bottomEdgeTop(h)).contains(row), height == 183);
    QCOMPARE(QRect(0, 0, 306, h).intersects(row), height == 183);
}

void tst_WindowClip::visibleRegion_data()
{
    QTest::addColumn<QSize>("outer");
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QRect>("region");
    QTest::newRow("frameless") << QSize(306, 130) << QSize(306, 130) << QRect(0, 0, 306, 130);
    QTest::newRow("border 3, title 19") << QSize(312, 155) << QSize(306, 130) << QRect(3, 22, 306, 130);
    QTest::newRow("unfolded with frame") << QSize(312, 208) << QSize(306, 183) << QRect(3, 22, 306, 183);
    QTest::newRow("odd border truncates") << QSize(311, 140) << QSize(306, 130) << QRect(2, 8, 306, 130);
}

void tst_WindowClip::visibleRegion()
{
    QFETCH(QSize, outer);
    QFETCH(QSize, client);
    QFETCH(QRect, region);
    QCOMPARE(WindowClip::visibleRegion(outer, client), region);
}

QTEST_MAIN(tst_WindowClip)
#include "tst_WindowClip.moc"
