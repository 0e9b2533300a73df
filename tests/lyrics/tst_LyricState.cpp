#include "LyricFeed.h"
#include "RecordingCanvas.h"
#include "lyrics/LyricDisplay.h"
#include "lyrics/LyricState.h"

#include <QTest>

namespace {
// Records what the lyric state asks of its window.
class FakeDisplay final : public LyricDisplay {
public:
    QStringList calls;
    void setClientSize(int width, int height) override
    {
        calls.append(QStringLiteral("size %1x%2").arg(width).arg(height));
    }
    void FormResize() override { calls.append(QStringLiteral("redraw")); }
};

const TextRect Client{0, 0, 435, 300};
} // namespace

// How the commands of a lyrics file build the pages at play start and change
// what is shown during playback. Text metrics: 10 wide per byte and 20 high at
// 10 points, scaling with the font size.
class tst_LyricState : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void scan_data()
    {
        QTest::addColumn<QList<QByteArray>>("records");
        QTest::addColumn<QStringList>("pages");
        QTest::addColumn<bool>("ended");

        QTest::newRow("texts join the last run")
            << QList<QByteArray>{"ab", "cd"} << QStringList{"'abcd'"} << false;
        QTest::newRow("formsize changes no page")
            << QList<QByteArray>{"a", "[0,300,200]b"} << QStringList{"'ab'"} << false;
        QTest::newRow("backcolor changes no page")
            << QList<QByteArray>{"a", "[1,255,0,0]b"} << QStringList{"'ab'"} << false;
        QTest::newRow("fontcolor changes no page")
            << QList<QByteArray>{"a", "[3,255,0,0]b"} << QStringList{"'ab'"} << false;
        QTest::newRow("writepre changes nothing")
            << QList<QByteArray>{"a", "[8]b"} << QStringList{"'ab'"} << false;
        QTest::newRow("code 9 changes nothing")
            << QList<QByteArray>{"a", "[9]b"} << QStringList{"'ab'"} << false;
        QTest::newRow("code 255 changes nothing")
            << QList<QByteArray>{"a", "[255]b"} << QStringList{"'ab'"} << false;
        QTest::newRow("fontsize starts a sized run")
            << QList<QByteArray>{"a", "[2,20]b"} << QStringList{"'a' | 'b' size=20"} << false;
        QTest::newRow("fontsize on an empty page")
            << QList<QByteArray>{"[2,20]b"} << QStringList{"'b' size=20"} << false;
        QTest::newRow("setcursor starts a placed run")
            << QList<QByteArray>{"a", "[5,30,40]b"} << QStringList{"'a' | 'b' @30,40"} << false;
        QTest::newRow("a colour argument of 300 counts as 44")
            << QList<QByteArray>{"[4,300,0,-1]x"} << QStringList{"'x' @0,0 color=02ff002c"} << false;
        QTest::newRow("clear starts a page with the attributes in force")
            << QList<QByteArray>{"a", "[2,20]b", "[6]c"} << QStringList{"'a' | 'b' size=20", "'c' size=20"}
            << false;
        QTest::newRow("pausepre starts a page like clear")
            << QList<QByteArray>{"a", "[2,20]b", "[7]c"} << QStringList{"'a' | 'b' size=20", "'c' size=20"}
            << false;
        QTest::newRow("a new page carries the position")
            << QList<QByteArray>{"[5,10,20]a", "[6]b", "[7]c"}
            << QStringList{"'a' @10,20", "'b' @10,20", "'c' @10,20"} << false;
        QTest::newRow("a command cut short changes nothing and ends the lyrics")
            << QList<QByteArray>{"a", "[!2,20]b"} << QStringList{"'ab'"} << true;
    }

    void scan()
    {
        QFETCH(QList<QByteArray>, records);
        QFETCH(QStringList, pages);
        QFETCH(bool, ended);

        RecordingCanvas canvas;
        LyricState state;
        state.begin(&canvas, nullptr);
        bool sawEnd = false;
        for (const LyricRecord& record : parseRecords(records)) {
            for (const DwdCommand& command : record.commands)
                sawEnd = state.scanCommand(command) || sawEnd;
            state.scanText(record.text);
        }
        QCOMPARE(describePages(state), pages);
        QCOMPARE(sawEnd, ended);
    }

    // "fontprecolor" places its run where the text before it ends, measured on the canvas.
    void preColorPlacement_data()
    {
        QTest::addColumn<QList<QByteArray>>("records");
        QTest::addColumn<QPoint>("placed");

        QTest::newRow("after ab CR LF cd from the top left")
            << QList<QByteArray>{"ab\r\ncd", "[4,1,2,3]"} << QPoint(20, 20);
        QTest::newRow("a trailing line break is not counted")
            << QList<QByteArray>{"ab\r\n", "[4,1,2,3]"} << QPoint(0, 0);
        QTest::newRow("one line from a placed run")
            << QList<QByteArray>{"[5,7,9]abc", "[4,1,2,3]"} << QPoint(37, 9);
        QTest::newRow("two breaks from a placed run")
            << QList<QByteArray>{"[5,7,9]a\r\nb\r\ncd", "[4,1,2,3]"} << QPoint(27, 49);
        QTest::newRow("measured in the run's own font size")
            << QList<QByteArray>{"[2,20]ab\r\nc", "[4,1,2,3]"} << QPoint(20, 40);
        QTest::newRow("on an empty page") << QList<QByteArray>{"[4,1,2,3]"} << QPoint(0, 0);
    }

    void preColorPlacement()
    {
        QFETCH(QList<QByteArray>, records);
        QFETCH(QPoint, placed);

        RecordingCanvas canvas;
        LyricState state;
        state.begin(&canvas, nullptr);
        for (const LyricRecord& record : parseRecords(records)) {
            for (const DwdCommand& command : record.commands)
                QVERIFY(!state.scanCommand(command));
            state.scanText(record.text);
        }
        const ExtendedText& page = state.WordsPages.back();
        const ExtendedCharPlusPos* run = page.getItem(page.count() - 1);
        QVERIFY(run);
        qint32 x, y;
        QVERIFY(run->getPos(x, y));
        QCOMPARE(QPoint(x, y), placed);
        quint32 color;
        QVERIFY(run->getColor(color));
        QCOMPARE(color, 0x02030201u);
        QCOMPARE(canvas.fontSize(), 10);
    }

    // One command during playback, after the piece "ab" was reached at the top left.
    void apply_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QStringList>("windowCalls");
        QTest::addColumn<quint32>("backColor");
        QTest::addColumn<quint32>("fontColor");
        QTest::addColumn<QPoint>("writePos");
        QTest::addColumn<int>("canvasSize");
        QTest::addColumn<bool>("ended");

        const quint32 back = LyricState::InitialBackColor;
        const quint32 blue = LyricState::InitialFontColor;
        QTest::newRow("formsize sizes the window")
            << QByteArray("[0,300,200]") << "'ab'" << QStringList{"size 300x200"} << back << blue
            << QPoint(20, 0) << 10 << false;
        QTest::newRow("backcolor repaints in the new colour")
            << QByteArray("[1,300,0,255]") << "'ab'" << QStringList{"redraw"} << 0x02ff002cu << blue
            << QPoint(20, 0) << 10 << false;
        QTest::newRow("backcolor cut short still repaints")
            << QByteArray("[!1,300]") << "'ab'" << QStringList{"redraw"} << back << blue << QPoint(20, 0)
            << 10 << true;
        QTest::newRow("fontsize sizes the canvas")
            << QByteArray("[2,20]") << "'ab' | '' size=20" << QStringList{} << back << blue << QPoint(20, 0)
            << 20 << false;
        QTest::newRow("fontcolor colours what follows from the write position")
            << QByteArray("[3,0,255,0]") << "'ab' | '' @20,0 color=0200ff00" << QStringList{} << back
            << 0x0200ff00u << QPoint(20, 0) << 10 << false;
        QTest::newRow("fontprecolor does nothing at play time")
            << QByteArray("[4,0,255,0]") << "'ab'" << QStringList{} << back << blue << QPoint(20, 0) << 10
            << false;
        QTest::newRow("setcursor moves the write position")
            << QByteArray("[5,30,40]") << "'ab' | '' @30,40" << QStringList{} << back << blue
            << QPoint(30, 40) << 10 << false;
        QTest::newRow("setcursor cut short does nothing") << QByteArray("[!5,30]") << "'ab'" << QStringList{}
                                                          << back << blue << QPoint(20, 0) << 10 << true;
        QTest::newRow("writepre does nothing")
            << QByteArray("[8]") << "'ab'" << QStringList{} << back << blue << QPoint(20, 0) << 10 << false;
        QTest::newRow("code 9 does nothing")
            << QByteArray("[9]") << "'ab'" << QStringList{} << back << blue << QPoint(20, 0) << 10 << false;
    }

    void apply()
    {
        QFETCH(QByteArray, command);
        QFETCH(QString, written);
        QFETCH(QStringList, windowCalls);
        QFETCH(quint32, backColor);
        QFETCH(quint32, fontColor);
        QFETCH(QPoint, writePos);
        QFETCH(int, canvasSize);
        QFETCH(bool, ended);

        RecordingCanvas canvas;
        FakeDisplay display;
        LyricState state;
        state.begin(&canvas, &display);
        LyricFeed feed(state, parseRecords({"ab"}));
        feed.start(Client);
        feed.reachNext();

        bool sawEnd = false;
        for (const DwdCommand& c : parseRecord(command).commands)
            sawEnd = state.applyCommand(c) || sawEnd;
        QCOMPARE(describe(state.WrittenText), written);
        QCOMPARE(display.calls, windowCalls);
        QCOMPARE(state.WordsBackColor, backColor);
        QCOMPARE(state.WordsFontColor, fontColor);
        QCOMPARE(state.WritePos, writePos);
        QCOMPARE(canvas.fontSize(), canvasSize);
        QCOMPARE(sawEnd, ended);
        QCOMPARE(state.WordsPreColor, LyricState::InitialPreColor);
    }

    // What is shown after some pieces were reached: pages change at "clear" and "pausepre".
    void paging_data()
    {
        QTest::addColumn<QList<QByteArray>>("records");
        QTest::addColumn<int>("reached");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("written");
        QTest::addColumn<int>("pageIndex");
        QTest::addColumn<QPoint>("writePos");

        QTest::newRow("one page shows the whole lyrics at once")
            << QList<QByteArray>{"ab", "cd\r\n", "ef"} << 0 << "'abcd/ef'"
            << "" << 0 << QPoint(0, 0);
        QTest::newRow("reached pieces continue the line")
            << QList<QByteArray>{"ab", "cd\r\n", "ef"} << 3 << "'abcd/ef'"
            << "'abcd/ef'" << 0 << QPoint(20, 20);
        QTest::newRow("pausepre hides what follows until reached")
            << QList<QByteArray>{"ab", "[7]cd"} << 0 << "'ab'"
            << "" << 0 << QPoint(0, 0);
        QTest::newRow("pausepre adds the next page at the write position")
            << QList<QByteArray>{"ab", "[7]cd"} << 1 << "'ab' | 'cd' @20,0"
            << "'ab'" << 1 << QPoint(20, 0);
        QTest::newRow("clear does not move the write position")
            << QList<QByteArray>{"ab", "[6]cd"} << 1 << "'cd' @20,0"
            << "'' @20,0" << 1 << QPoint(20, 0);
        QTest::newRow("text after clear goes on from there")
            << QList<QByteArray>{"ab", "[6]cd"} << 2 << "'cd' @20,0"
            << "'cd' @20,0" << 1 << QPoint(40, 0);
        QTest::newRow("setcursor after clear moves it")
            << QList<QByteArray>{"ab", "[6][5,0,0]cd"} << 2 << "'' @20,0 | 'cd' @0,0"
            << "'' @20,0 | 'cd' @0,0" << 1 << QPoint(20, 0);
        QTest::newRow("clear in the first record shows the second page first")
            << QList<QByteArray>{"[6]ab", "cd"} << 0 << "'abcd' @0,0"
            << "'' @0,0" << 1 << QPoint(0, 0);
    }

    void paging()
    {
        QFETCH(QList<QByteArray>, records);
        QFETCH(int, reached);
        QFETCH(QString, shown);
        QFETCH(QString, written);
        QFETCH(int, pageIndex);
        QFETCH(QPoint, writePos);

        RecordingCanvas canvas;
        FakeDisplay display;
        LyricState state;
        state.begin(&canvas, &display);
        LyricFeed feed(state, parseRecords(records));
        feed.start(Client);
        for (int i = 0; i < reached; ++i)
            QVERIFY(feed.reachNext());
        QCOMPARE(describe(state.ShownPreText), shown);
        QCOMPARE(describe(state.WrittenText), written);
        QCOMPARE(state.PageIndex, pageIndex);
        QCOMPARE(state.WritePos, writePos);
    }

    // The two passes disagree only on a damaged file; then no page is there to show.
    void pageChangePastTheLastPage_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("written");

        QTest::newRow("clear shows an empty screen") << QByteArray("[6]") << ""
                                                     << "'' @20,0";
        QTest::newRow("pausepre keeps what is shown") << QByteArray("[7]") << "'ab'"
                                                      << "'ab'";
    }

    void pageChangePastTheLastPage()
    {
        QFETCH(QByteArray, command);
        QFETCH(QString, shown);
        QFETCH(QString, written);

        RecordingCanvas canvas;
        LyricState state;
        state.begin(&canvas, nullptr);
        LyricFeed feed(state, parseRecords({"ab"}));
        feed.start(Client);
        feed.reachNext();
        const DwdCommand pageChange = parseRecord(command).commands.first();
        for (int i = 0; i < 3; ++i) {
            canvas.clearRecords();
            QVERIFY(!state.applyCommand(pageChange));
            QCOMPARE(state.PageIndex, 1);
            QCOMPARE(describe(state.ShownPreText), shown);
            QCOMPARE(canvas.fills.size(), 1);
        }
        QCOMPARE(describe(state.WrittenText), written);
        state.reach("cd");
        QCOMPARE(state.WritePos, QPoint(40, 0));
    }

    // After "clear", a piece, "fontsize" and a second piece, the second piece
    // is drawn after the first when reached, but a full redraw starts it where
    // the page started, over the first.
    void fontSizeRedrawOverlap()
    {
        RecordingCanvas canvas;
        LyricState state;
        state.begin(&canvas, nullptr);
        LyricFeed feed(state, parseRecords({"ab", "[6]cd", "[2,20]ef"}));
        feed.start(Client);
        feed.reachNext();
        feed.reachNext();
        canvas.clearRecords();
        feed.reachNext();
        QCOMPARE(canvas.drawList(), QStringList{"40,0 [40,0,80,40] ef"});

        canvas.clearRecords();
        DrawCursor redraw;
        redraw.bindCanvas(&canvas);
        redraw.DrawExtendedText(state.DisplayRect, 0, 0, state.WrittenText);
        QCOMPARE(canvas.drawList(), (QStringList{"20,0 [20,0,60,40] cd", "20,0 [20,0,60,40] ef"}));
    }

    // The first picture fills the client in the background colour and draws the first page in grey.
    void initialPicture()
    {
        RecordingCanvas canvas;
        LyricState state;
        state.begin(&canvas, nullptr);
        LyricFeed feed(state, parseRecords({"[1,0,0,255]ab\r\n", "cd"}));
        feed.start(Client);
        QCOMPARE(state.DisplayRect, Client);
        QCOMPARE(canvas.fills, QList<TextRect>{Client});
        QCOMPARE(canvas.brushColor(), 0x02ff0000u);
        QCOMPARE(canvas.drawList(), (QStringList{"0,0 [0,0,20,20] ab", "0,20 [0,20,20,40] cd"}));
        QCOMPARE(canvas.draws[0].color, LyricState::InitialPreColor);

        canvas.clearRecords();
        feed.reachNext();
        QCOMPARE(canvas.drawList(), QStringList{"0,0 [0,0,20,20] ab"});
        QCOMPARE(canvas.draws[0].color, LyricState::InitialFontColor);
    }

    void endReleasesEverything()
    {
        RecordingCanvas canvas;
        LyricState state;
        state.begin(&canvas, nullptr);
        LyricFeed feed(state, parseRecords({"ab", "[6]cd"}));
        feed.start(Client);
        feed.reachAll();
        state.end();
        QCOMPARE(state.pageCount(), 0);
        QVERIFY(state.ShownPreText.isEmpty());
        QVERIFY(state.WrittenText.isEmpty());
        QCOMPARE(state.WordsCursor.canvas(), nullptr);
        canvas.clearRecords();
        state.reach("late");
        QVERIFY(!state.applyCommand(dwdCommand(DwdCode::Clear)));
        QVERIFY(canvas.draws.isEmpty());
    }
};

QTEST_MAIN(tst_LyricState)
#include "tst_LyricState.moc"
