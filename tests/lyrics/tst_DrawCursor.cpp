#include "LyricFeed.h"
#include "RecordingCanvas.h"
#include "lyrics/DrawCursor.h"

#include <QTest>

Q_DECLARE_METATYPE(TextRect)

// Layout of lyric text on a canvas whose every byte is 10 wide and every line 20 high.
class tst_DrawCursor : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void drawString_data()
    {
        QTest::addColumn<QPoint>("pen");
        QTest::addColumn<QPoint>("origin");
        QTest::addColumn<QPoint>("offset");
        QTest::addColumn<TextRect>("clip");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("draws");
        QTest::addColumn<QPoint>("penAfter");

        const TextRect window{0, 0, 435, 300};
        QTest::newRow("a piece moves the pen to its end")
            << QPoint(5, 7) << QPoint() << QPoint() << window << QByteArray("abc")
            << QStringList{"5,7 [5,7,35,27] abc"} << QPoint(35, 7);
        QTest::newRow("offset and origin shift the drawing, not the pen")
            << QPoint(1, 2) << QPoint(10, 20) << QPoint(100, 200) << window << QByteArray("a")
            << QStringList{"111,222 [111,222,121,242] a"} << QPoint(11, 2);
        QTest::newRow("A CR LF B: B at the left one line lower")
            << QPoint(30, 0) << QPoint() << QPoint() << window << QByteArray("A\r\nB")
            << QStringList{"30,0 [30,0,40,20] A", "0,20 [0,20,10,40] B"} << QPoint(10, 20);
        QTest::newRow("a lone line feed breaks the same way")
            << QPoint(30, 0) << QPoint() << QPoint() << window << QByteArray("A\nB")
            << QStringList{"30,0 [30,0,40,20] A", "0,20 [0,20,10,40] B"} << QPoint(10, 20);
        QTest::newRow("a piece ending in CR LF leaves the pen on the next line")
            << QPoint(0, 0) << QPoint() << QPoint() << window << QByteArray("AB\r\n")
            << QStringList{"0,0 [0,0,20,20] AB"} << QPoint(0, 20);
        QTest::newRow("an empty line still takes its height")
            << QPoint(0, 0) << QPoint() << QPoint() << window << QByteArray("A\r\n\r\nB")
            << QStringList{"0,0 [0,0,10,20] A", "0,40 [0,40,10,60] B"} << QPoint(10, 40);
        QTest::newRow("an empty piece draws nothing and keeps the pen")
            << QPoint(12, 34) << QPoint() << QPoint() << window << QByteArray() << QStringList{}
            << QPoint(12, 34);
        QTest::newRow("text wider than the window is cut at the right edge")
            << QPoint(0, 0) << QPoint() << QPoint() << TextRect{0, 0, 25, 300} << QByteArray("abcd")
            << QStringList{"0,0 [0,0,25,20] abcd"} << QPoint(40, 0);
        QTest::newRow("a line above the top is cut there")
            << QPoint(0, -5) << QPoint() << QPoint() << window << QByteArray("ab")
            << QStringList{"0,-5 [0,0,20,15] ab"} << QPoint(20, -5);
        QTest::newRow("a piece wholly right of the window still moves the pen")
            << QPoint(500, 0) << QPoint() << QPoint() << window << QByteArray("abc") << QStringList{}
            << QPoint(530, 0);
        QTest::newRow("a piece wholly below the window still moves the pen")
            << QPoint(0, 300) << QPoint() << QPoint() << window << QByteArray("ab\r\ncd") << QStringList{}
            << QPoint(20, 320);
        QTest::newRow("only the visible line of a piece is drawn")
            << QPoint(0, 280) << QPoint() << QPoint() << window << QByteArray("ab\r\ncd")
            << QStringList{"0,280 [0,280,20,300] ab"} << QPoint(20, 300);
    }

    // A line break moves down by the tallest text drawn on the line, whatever
    // its font when the break comes. Steps are "size:text", drawn in turn.
    void breakBelowTheTallestText_data()
    {
        QTest::addColumn<int>("lineHeight");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QPoint>("penAfter");
        QTest::addColumn<int>("lineHeightAfter");

        QTest::newRow("small text after large on one line")
            << 0 << QStringList{"20:ab", "10:c\r\n"} << QPoint(0, 40) << 0;
        QTest::newRow("a line begun by taller text before the pen was set")
            << 40 << QStringList{"10:d\r\n"} << QPoint(0, 40) << 0;
        QTest::newRow("each line by its own tallest text")
            << 0 << QStringList{"20:a\r\n", "10:b\r\n"} << QPoint(0, 60) << 0;
        QTest::newRow("inside one piece too")
            << 0 << QStringList{"20:a", "10:b\r\nc\r\nd"} << QPoint(10, 60) << 20;
        QTest::newRow("the height so far is kept for the next piece")
            << 0 << QStringList{"30:a", "10:b"} << QPoint(40, 0) << 60;
    }

    void breakBelowTheTallestText()
    {
        QFETCH(int, lineHeight);
        QFETCH(QStringList, steps);
        QFETCH(QPoint, penAfter);
        QFETCH(int, lineHeightAfter);

        RecordingCanvas canvas;
        DrawCursor cursor;
        cursor.bindCanvas(&canvas);
        cursor.setPen(0, 0, lineHeight);
        for (const QString& step : steps) {
            const qsizetype colon = step.indexOf(QLatin1Char(':'));
            canvas.setFontSize(step.left(colon).toInt());
            cursor.drawString({0, 0, 435, 300}, 0, 0, step.mid(colon + 1).toLatin1());
        }
        QCOMPARE(cursor.pen(), penAfter);
        QCOMPARE(cursor.lineHeight(), lineHeightAfter);
    }

    void drawString()
    {
        QFETCH(QPoint, pen);
        QFETCH(QPoint, origin);
        QFETCH(QPoint, offset);
        QFETCH(TextRect, clip);
        QFETCH(QByteArray, text);
        QFETCH(QStringList, draws);
        QFETCH(QPoint, penAfter);

        RecordingCanvas canvas;
        DrawCursor cursor;
        cursor.bindCanvas(&canvas);
        cursor.setPen(pen.x(), pen.y());
        cursor.setOrigin(origin.x(), origin.y());
        cursor.drawString(clip, offset.x(), offset.y(), text);
        QCOMPARE(canvas.drawList(), draws);
        QCOMPARE(cursor.pen(), penAfter);
    }

    // A wipe draws a piece's lines laid end to end ("ab" then "cd", 40 long) a
    // span at a time; the pen always moves over the whole piece.
    void drawSpan_data()
    {
        QTest::addColumn<int>("clipRight");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QStringList>("draws");

        QTest::newRow("nothing yet") << 435 << 0 << 0 << QStringList{};
        QTest::newRow("the start of the first line") << 435 << 0 << 5 << QStringList{"0,0 [0,0,5,20] ab"};
        QTest::newRow("across the line break")
            << 435 << 5 << 30 << QStringList{"0,0 [5,0,20,20] ab", "0,20 [0,20,10,40] cd"};
        QTest::newRow("the second line alone") << 435 << 25 << 40 << QStringList{"0,20 [5,20,20,40] cd"};
        QTest::newRow("past the end is the end") << 435 << 35 << 99 << QStringList{"0,20 [15,20,20,40] cd"};
        QTest::newRow("the window's edge still cuts")
            << 15 << 10 << 40 << QStringList{"0,0 [10,0,15,20] ab", "0,20 [0,20,15,40] cd"};
    }

    void drawSpan()
    {
        QFETCH(int, clipRight);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QStringList, draws);

        RecordingCanvas canvas;
        DrawCursor cursor;
        cursor.bindCanvas(&canvas);
        QCOMPARE(cursor.lineLength("ab\r\ncd"), 40);
        cursor.drawString(TextRect{0, 0, clipRight, 300}, 0, 0, "ab\r\ncd", FillSpan{from, to});
        QCOMPARE(canvas.drawList(), draws);
        QCOMPARE(cursor.pen(), QPoint(20, 20));
    }

    void drawStringWithoutCanvasDoesNothing()
    {
        DrawCursor cursor;
        cursor.setPen(3, 4);
        cursor.drawString(TextRect{0, 0, 100, 100}, 0, 0, "abc");
        QCOMPARE(cursor.pen(), QPoint(3, 4));
        QCOMPARE(cursor.textWidth("abc"), 0);
    }

    // Runs apply their attributes, which stay for the runs after them; the
    // canvas font is restored afterwards.
    void drawExtendedText()
    {
        ExtendedText list;
        ExtendedCharPlusPos first;
        first.setText("ab");
        list.append(first);
        ExtendedCharPlusPos sized;
        sized.setText("cd");
        sized.setSize(20);
        sized.setColor(0x0200FF00);
        list.append(sized);
        ExtendedCharPlusPos placed;
        placed.setText("e");
        placed.setPos(100, 50);
        list.append(placed);

        RecordingCanvas canvas;
        canvas.setFontColor(0x808080);
        DrawCursor cursor;
        cursor.bindCanvas(&canvas);
        cursor.setPen(0, 0);
        cursor.drawExtendedText(TextRect{0, 0, 435, 300}, 0, 0, list);

        QCOMPARE(canvas.drawList(),
                 (QStringList{"0,0 [0,0,20,20] ab", "20,0 [20,0,60,40] cd", "100,50 [100,50,120,90] e"}));
        QCOMPARE(canvas.draws[0].color, 0x808080u);
        QCOMPARE(canvas.draws[2].color, 0x0200FF00u);
        QCOMPARE(canvas.draws[2].size, 20);
        QCOMPARE(canvas.fontSize(), 10);
        QCOMPARE(canvas.fontColor(), 0x808080u);
        QCOMPARE(cursor.pen(), QPoint(120, 50));
    }
};

QTEST_MAIN(tst_DrawCursor)
#include "tst_DrawCursor.moc"
