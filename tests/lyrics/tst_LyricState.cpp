#include "LyricFeed.h"
#include "RecordingCanvas.h"
#include "lyrics/LyricDisplay.h"
#include "lyrics/LyricPicture.h"
#include "lyrics/LyricState.h"

#include <QTest>
#include <algorithm>

namespace {
// Records what the lyric state asks of its window.
class FakeDisplay final : public LyricDisplay {
public:
    QStringList calls;
    void setClientSize(int width, int height) override
    {
        calls.append(QStringLiteral("size %1x%2").arg(width).arg(height));
    }
    void clientResized() override { calls.append(QStringLiteral("redraw")); }
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

        QTest::newRow("each piece is a run of its own in the window font")
            << QList<QByteArray>{"ab", "cd"} << QStringList{"'ab' size=10 | 'cd' size=10"} << false;
        QTest::newRow("formsize changes no page")
            << QList<QByteArray>{"a", "[0,300,200]b"} << QStringList{"'a' size=10 | 'b' size=10"} << false;
        QTest::newRow("backcolor changes no page")
            << QList<QByteArray>{"a", "[1,255,0,0]b"} << QStringList{"'a' size=10 | 'b' size=10"} << false;
        QTest::newRow("fontcolor changes no page")
            << QList<QByteArray>{"a", "[3,255,0,0]b"} << QStringList{"'a' size=10 | 'b' size=10"} << false;
        QTest::newRow("writepre changes nothing")
            << QList<QByteArray>{"a", "[8]b"} << QStringList{"'a' size=10 | 'b' size=10"} << false;
        QTest::newRow("code 9 changes nothing")
            << QList<QByteArray>{"a", "[9]b"} << QStringList{"'a' size=10 | 'b' size=10"} << false;
        QTest::newRow("code 255 changes nothing")
            << QList<QByteArray>{"a", "[255]b"} << QStringList{"'a' size=10 | 'b' size=10"} << false;
        QTest::newRow("an empty piece adds no run")
            << QList<QByteArray>{"a", "", "b"} << QStringList{"'a' size=10 | 'b' size=10"} << false;
        QTest::newRow("fontsize starts a sized run")
            << QList<QByteArray>{"a", "[2,20]b"} << QStringList{"'a' size=10 | 'b' size=20"} << false;
        QTest::newRow("fontsize on an empty page sizes its first run")
            << QList<QByteArray>{"[2,20]b"} << QStringList{"'b' size=20"} << false;
        QTest::newRow("commands before one piece make one run")
            << QList<QByteArray>{"a", "[2,20][5,3,4][4,1,2,3]b"}
            << QStringList{"'a' size=10 | 'b' @3,4 size=20 color=02030201"} << false;
        QTest::newRow("setcursor starts a placed run")
            << QList<QByteArray>{"a", "[5,30,40]b"} << QStringList{"'a' size=10 | 'b' @30,40 size=10"}
            << false;
        QTest::newRow("runs after a placed one are not placed")
            << QList<QByteArray>{"[5,30,40]a", "[2,20]b", "[4,1,2,3]c"}
            << QStringList{"'a' @30,40 size=10 | 'b' size=20 | 'c' size=20 color=02030201"} << false;
        QTest::newRow("a colour argument of 300 counts as 44")
            << QList<QByteArray>{"[4,300,0,-1]x"} << QStringList{"'x' size=10 color=02ff002c"} << false;
        QTest::newRow("clear starts a page with the attributes in force")
            << QList<QByteArray>{"a", "[2,20]b", "[6]c"}
            << QStringList{"'a' size=10 | 'b' size=20", "'c' size=20"} << false;
        QTest::newRow("pausepre starts a page like clear")
            << QList<QByteArray>{"a", "[2,20]b", "[7]c"}
            << QStringList{"'a' size=10 | 'b' size=20", "'c' size=20"} << false;
        QTest::newRow("a new page is placed only when it is shown")
            << QList<QByteArray>{"[5,10,20]a", "[6]b", "[7]c"}
            << QStringList{"'a' @10,20 size=10", "'b' size=10", "'c' size=10"} << false;
        QTest::newRow("a command cut short changes nothing and ends the lyrics")
            << QList<QByteArray>{"a", "[!2,20]b"} << QStringList{"'a' size=10 | 'b' size=10"} << true;
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

    // The first picture: every run of pre text starts where the text before it
    // ended, below the tallest text of a line after a break.
    void preTextFollowsThePen_data()
    {
        QTest::addColumn<QList<QByteArray>>("records");
        QTest::addColumn<QStringList>("draws");

        QTest::newRow("fontsize runs after a setcursor go on line by line")
            << QList<QByteArray>{"[5,10,10]ak", "[3,255,0,0]ir\r\n", "[2,16]ook", "[2,9]ch\r\n",
                                 "[4,0,160,0]mi"}
            << QStringList{"10,10 [10,10,30,30] ak", "30,10 [30,10,50,30] ir", "0,30 [0,30,48,62] ook",
                           "48,30 [48,30,66,48] ch", "0,62 [0,62,18,80] mi"};
        QTest::newRow("fontprecolor after a line that began at no known place")
            << QList<QByteArray>{"[5,7,9]ab\r\n", "cd", "[4,1,2,3]ef"}
            << QStringList{"7,9 [7,9,27,29] ab", "0,29 [0,29,20,49] cd", "20,29 [20,29,40,49] ef"};
        QTest::newRow("fontprecolor after a trailing line break")
            << QList<QByteArray>{"ab\r\n", "[4,1,2,3]cd"}
            << QStringList{"0,0 [0,0,20,20] ab", "0,20 [0,20,20,40] cd"};
        QTest::newRow("a smaller font after a break keeps to its own line")
            << QList<QByteArray>{"[2,20]ab\r\n", "[2,10]c", "d\r\n", "e"}
            << QStringList{"0,0 [0,0,40,40] ab", "0,40 [0,40,10,60] c", "10,40 [10,40,20,60] d",
                           "0,60 [0,60,10,80] e"};
    }

    void preTextFollowsThePen()
    {
        QFETCH(QList<QByteArray>, records);
        QFETCH(QStringList, draws);

        RecordingCanvas canvas;
        LyricState state;
        state.begin(&canvas, nullptr);
        LyricFeed feed(state, parseRecords(records));
        feed.start(Client);
        QCOMPARE(canvas.drawList(), draws);
    }

    // Every reached piece is drawn exactly over its own pre text: same place,
    // same cell, same size.
    void sungLandsOnPre_data()
    {
        QTest::addColumn<QList<QByteArray>>("records");

        QTest::newRow("sizes changing inside a placed line")
            << QList<QByteArray>{"[5,10,10]a", "k",      "[3,255,0,0]i", "r\r\n",        "[2,16]o",
                                 "k",          "[2,9]c", "h\r\n",        "[4,0,160,0]m", "i"};
        QTest::newRow("pre colour after a break")
            << QList<QByteArray>{"[5,7,9]a", "b\r\n", "c", "d", "[4,1,2,3]e", "f"};
        QTest::newRow("clear in the middle of a line")
            << QList<QByteArray>{"ab", "c", "[6]d", "[2,20]e\r\n", "f"};
        QTest::newRow("pausepre after a tall line")
            << QList<QByteArray>{"[2,20]ab", "[2,10]c\r\n", "d", "[7]e\r\n", "f"};
        QTest::newRow("setcursor on every page")
            << QList<QByteArray>{"[5,5,5]ab", "[6][5,50,50]c", "[2,14]d", "[7][5,0,100]e"};
        QTest::newRow("pausepre, then clear with fontcolor and setcursor") << QList<QByteArray>{
            "[2,14][5,12,12]a",           "b\r\n", "[5,12,40]c",     "d", "[8][7]e", "f\r\n",
            "[6][3,200,0,100][5,12,12]g", "h\r\n", "[4,0,100,200]i", "j"};
    }

    void sungLandsOnPre()
    {
        QFETCH(QList<QByteArray>, records);

        RecordingCanvas canvas;
        FakeDisplay display;
        LyricState state;
        state.begin(&canvas, &display);
        LyricFeed feed(state, parseRecords(records));
        feed.start(Client);
        QList<RecordingCanvas::Draw> pre = canvas.draws;
        canvas.clearRecords();
        int sung = 0;
        while (feed.reachNext()) {
            // The piece is drawn first; a page change redraws after it.
            const qsizetype pieceEnd =
                canvas.drawsBeforeFill.isEmpty() ? canvas.draws.size() : canvas.drawsBeforeFill.first();
            for (qsizetype i = 0; i < pieceEnd; ++i) {
                const RecordingCanvas::Draw& d = canvas.draws[i];
                const bool landed = std::any_of(pre.begin(), pre.end(), [&](const RecordingCanvas::Draw& p) {
                    return p.x == d.x && p.y == d.y && p.cell == d.cell && p.text == d.text &&
                           p.size == d.size;
                });
                QVERIFY2(
                    landed,
                    qPrintable(
                        QStringLiteral("%1 at %2,%3").arg(QString::fromLatin1(d.text)).arg(d.x).arg(d.y)));
                ++sung;
            }
            pre += canvas.draws.mid(pieceEnd);
            canvas.clearRecords();
        }
        QVERIFY(sung >= records.size() - 1);
    }

    // After every step the picture drawn since the last full redraw is what a
    // full redraw draws again: same places, texts, colours and sizes.
    void redrawReproducesThePicture_data()
    {
        QTest::addColumn<QList<QByteArray>>("records");

        QTest::newRow("sizes and colours changing inside a placed line")
            << QList<QByteArray>{"[5,10,10]a", "k",      "[3,255,0,0]i", "r\r\n",        "[2,16]o",
                                 "k",          "[2,9]c", "h\r\n",        "[4,0,160,0]m", "i"};
        QTest::newRow("fontsize after clear redraws in place, not over the first piece")
            << QList<QByteArray>{"ab", "[6]cd", "[2,20]ef", "gh"};
        QTest::newRow("fontcolor after sung text")
            << QList<QByteArray>{"ab", "[3,255,0,0]cd", "[3,0,255,0]ef"};
        QTest::newRow("pausepre keeps the sung text")
            << QList<QByteArray>{"[2,20]ab\r\n", "[2,10][3,1,1,1]c", "[7]d", "[2,30]e"};
        QTest::newRow("backcolor in the middle of the song")
            << QList<QByteArray>{"ab", "[1,0,0,64]cd\r\n", "[5,40,40]ef"};
        QTest::newRow("clear in the first record") << QList<QByteArray>{"[6][2,20]ab", "cd"};
    }

    void redrawReproducesThePicture()
    {
        QFETCH(QList<QByteArray>, records);

        RecordingCanvas canvas;
        LyricState state;
        state.begin(&canvas, nullptr);
        LyricFeed feed(state, parseRecords(records));
        feed.start(Client);
        auto screen = [&canvas] {
            QStringList list;
            for (qsizetype i = canvas.drawsBeforeFill.constLast(); i < canvas.draws.size(); ++i) {
                const RecordingCanvas::Draw& d = canvas.draws[i];
                list << QStringLiteral("%1,%2 %3 %4 size=%5")
                            .arg(d.x)
                            .arg(d.y)
                            .arg(QString::fromLatin1(d.text))
                            .arg(d.color, 8, 16, QLatin1Char('0'))
                            .arg(d.size);
            }
            return list;
        };
        int steps = 0;
        do {
            const QStringList before = screen();
            const qint32 sizeBefore = canvas.fontSize();
            DrawCursor redraw;
            redraw.bindCanvas(&canvas);
            LyricPicture::drawWhole(redraw, state, state.displayRect);
            QCOMPARE(screen(), before);
            QCOMPARE(canvas.fontSize(), sizeBefore);
            ++steps;
        } while (feed.reachNext());
        QCOMPARE(steps, records.size() + 1);
    }

    // A track never starts in what the previous one left on the canvas.
    void trackStartsInTheWindowFont()
    {
        RecordingCanvas canvas;
        canvas.setFontSize(30);
        canvas.setFontName("other");
        canvas.setFontPitch(2);
        LyricState state;
        state.begin(&canvas, nullptr);
        QCOMPARE(canvas.fontSize(), 10);
        QCOMPARE(canvas.fontName(), QByteArray("default"));
        QCOMPARE(canvas.fontPitch(), quint8(0));
        LyricFeed feed(state, parseRecords({"ab"}));
        feed.start(Client);
        feed.reachNext();
        QCOMPARE(describe(state.writtenText_), QStringLiteral("'ab' @0,0 size=10 color=00ff0000"));
    }

    // One command during playback, after the piece "ab" was reached at the
    // top left: commands change what comes next, never what was sung.
    void apply_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QStringList>("windowCalls");
        QTest::addColumn<quint32>("backColor");
        QTest::addColumn<quint32>("fontColor");
        QTest::addColumn<QPoint>("writePos");
        QTest::addColumn<int>("canvasSize");
        QTest::addColumn<bool>("ended");

        const quint32 back = LyricState::InitialBackColor;
        const quint32 blue = LyricState::InitialFontColor;
        QTest::newRow("formsize sizes the window") << QByteArray("[0,300,200]") << QStringList{"size 300x200"}
                                                   << back << blue << QPoint(20, 0) << 10 << false;
        QTest::newRow("backcolor repaints in the new colour")
            << QByteArray("[1,300,0,255]") << QStringList{"redraw"} << 0x02ff002cu << blue << QPoint(20, 0)
            << 10 << false;
        QTest::newRow("backcolor cut short still repaints")
            << QByteArray("[!1,300]") << QStringList{"redraw"} << back << blue << QPoint(20, 0) << 10 << true;
        QTest::newRow("fontsize sizes the canvas")
            << QByteArray("[2,20]") << QStringList{} << back << blue << QPoint(20, 0) << 20 << false;
        QTest::newRow("fontcolor colours what follows") << QByteArray("[3,0,255,0]") << QStringList{} << back
                                                        << 0x0200ff00u << QPoint(20, 0) << 10 << false;
        QTest::newRow("fontprecolor does nothing at play time")
            << QByteArray("[4,0,255,0]") << QStringList{} << back << blue << QPoint(20, 0) << 10 << false;
        QTest::newRow("setcursor moves the write position")
            << QByteArray("[5,30,40]") << QStringList{} << back << blue << QPoint(30, 40) << 10 << false;
        QTest::newRow("setcursor cut short does nothing")
            << QByteArray("[!5,30]") << QStringList{} << back << blue << QPoint(20, 0) << 10 << true;
        QTest::newRow("writepre does nothing")
            << QByteArray("[8]") << QStringList{} << back << blue << QPoint(20, 0) << 10 << false;
        QTest::newRow("code 9 does nothing")
            << QByteArray("[9]") << QStringList{} << back << blue << QPoint(20, 0) << 10 << false;
    }

    void apply()
    {
        QFETCH(QByteArray, command);
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
        QCOMPARE(describe(state.writtenText_), QStringLiteral("'ab' @0,0 size=10 color=00ff0000"));
        QCOMPARE(display.calls, windowCalls);
        QCOMPARE(state.backColor_, backColor);
        QCOMPARE(state.fontColor_, fontColor);
        QCOMPARE(state.writePos, writePos);
        QCOMPARE(canvas.fontSize(), canvasSize);
        QCOMPARE(sawEnd, ended);
        QCOMPARE(state.preColor_, LyricState::InitialPreColor);
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
            << QList<QByteArray>{"ab", "cd\r\n", "ef"} << 0 << "'ab' | 'cd/' | 'ef'"
            << "" << 0 << QPoint(0, 0);
        QTest::newRow("reached pieces continue the line")
            << QList<QByteArray>{"ab", "cd\r\n", "ef"} << 3 << "'ab' | 'cd/' | 'ef'"
            << "'ab' @0,0 | 'cd/' @20,0/20 | 'ef' @0,20" << 0 << QPoint(20, 20);
        QTest::newRow("pausepre hides what follows until reached")
            << QList<QByteArray>{"ab", "[7]cd"} << 0 << "'ab'"
            << "" << 0 << QPoint(0, 0);
        QTest::newRow("pausepre adds the next page at the write position")
            << QList<QByteArray>{"ab", "[7]cd"} << 1 << "'ab' | 'cd' @20,0/20"
            << "'ab' @0,0" << 1 << QPoint(20, 0);
        QTest::newRow("clear does not move the write position")
            << QList<QByteArray>{"ab", "[6]cd"} << 1 << "'cd' @20,0"
            << "" << 1 << QPoint(20, 0);
        QTest::newRow("text after clear goes on from there")
            << QList<QByteArray>{"ab", "[6]cd"} << 2 << "'cd' @20,0"
            << "'cd' @20,0" << 1 << QPoint(40, 0);
        QTest::newRow("setcursor after clear moves it")
            << QList<QByteArray>{"ab", "[6][5,0,0]cd"} << 2 << "'cd' @0,0"
            << "'cd' @0,0" << 1 << QPoint(20, 0);
        QTest::newRow("clear in the first record shows the second page first")
            << QList<QByteArray>{"[6]ab", "cd"} << 0 << "'ab' @0,0 | 'cd'"
            << "" << 1 << QPoint(0, 0);
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
        QCOMPARE(describe(state.shownPreText_, false), shown);
        QCOMPARE(describe(state.writtenText_, false), written);
        QCOMPARE(state.PageIndex, pageIndex);
        QCOMPARE(state.writePos, writePos);
    }

    // The two passes disagree only on a damaged file; then no page is there to show.
    void pageChangePastTheLastPage_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("written");

        QTest::newRow("clear shows an empty screen") << QByteArray("[6]") << ""
                                                     << "";
        QTest::newRow("pausepre keeps what is shown") << QByteArray("[7]") << "'ab'"
                                                      << "'ab' @0,0";
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
            QCOMPARE(describe(state.shownPreText_, false), shown);
            QCOMPARE(canvas.fills.size(), 1);
        }
        QCOMPARE(describe(state.writtenText_, false), written);
        state.reach("cd");
        QCOMPARE(state.writePos, QPoint(40, 0));
    }

    // The first picture fills the client in the background colour and draws the first page in grey.
    void initialPicture()
    {
        RecordingCanvas canvas;
        LyricState state;
        state.begin(&canvas, nullptr);
        LyricFeed feed(state, parseRecords({"[1,0,0,255]ab\r\n", "cd"}));
        feed.start(Client);
        QCOMPARE(state.displayRect, Client);
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
        QVERIFY(state.shownPreText_.isEmpty());
        QVERIFY(state.writtenText_.isEmpty());
        QCOMPARE(state.cursor.canvas(), nullptr);
        canvas.clearRecords();
        state.reach("late");
        QVERIFY(!state.applyCommand(dwdCommand(DwdCode::Clear)));
        QVERIFY(canvas.draws.isEmpty());
    }
};

QTEST_MAIN(tst_LyricState)
#include "tst_LyricState.moc"
