#include "LyricFeed.h"
#include "core/ColorValue.h"
#include "lyrics/ui/LyricsWindow.h"
#include "platform/ShiftJis.h"

#include <QSignalSpy>
#include <QTest>

namespace {
const QColor Grey(128, 128, 128);
const QColor Blue(0, 0, 255);

// Text is smoothed, so its pixels are the text colour blended into the white
// background: grey text leaves darker greys, blue text bluish pixels.
bool looksLike(const QColor& pixel, const QColor& color)
{
    if (color == Blue)
        return pixel.blue() - pixel.red() > 40 && pixel.red() == pixel.green();
    return pixel.red() == pixel.green() && pixel.green() == pixel.blue() && pixel.red() < 220;
}

int countColor(const QImage& image, const QRect& rect, const QColor& color)
{
    int n = 0;
    const QRect area = rect.intersected(image.rect());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += looksLike(image.pixelColor(x, y), color);
    return n;
}

QByteArray sjis(const char* utf8)
{
    return ShiftJis::encode(QString::fromUtf8(utf8));
}

// A short song over two pages, as a lyrics file holds it.
QList<LyricRecord> song()
{
    QList<LyricRecord> records = parseRecords({"", "", "", "[6]", "", "[7]", ""});
    records[0].text = sjis("かえるのうたが");
    records[1].text = sjis("きこえてくるよ\r\n");
    records[2].text = sjis("Kero kero kero");
    records[3].text = sjis("\r\nつぎのページ ");
    records[4].text = sjis("もういちど");
    records[5].text = sjis("\r\nあとから出る歌詞");
    records[6].text = sjis("。");
    return records;
}
} // namespace

// The lyrics display window painting a lyric state on its off-screen canvas.
class tst_WordsDisplay : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    }

    void windowDesign()
    {
        LyricsWindow form;
        QCOMPARE(form.objectName(), QString(LyricsWindowObjectNames::window));
        QCOMPARE(form.windowTitle(), QStringLiteral("Words display"));
        QCOMPARE(form.size(), QSize(435, 300));
        QCOMPARE(form.canvas().size(), QSize(435, 300));
        QVERIFY(!form.windowIcon().pixmap(16, 16).isNull());
        QVERIFY(form.minimumSize() != form.maximumSize());
        QVERIFY(form.isWindow());
    }

    void closingOnlyHides()
    {
        LyricsWindow form;
        QSignalSpy closing(&form, &LyricsWindow::closing);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.close() == false);
        QVERIFY(!form.isVisible());
        QCOMPARE(closing.count(), 1);
    }

    void formSize_data()
    {
        QTest::addColumn<QSize>("asked");
        QTest::addColumn<QSize>("client");
        QTest::newRow("as asked") << QSize(300, 200) << QSize(300, 200);
        QTest::newRow("nothing below one pixel") << QSize(-5, 0) << QSize(1, 1);
        QTest::newRow("nothing larger than a screen") << QSize(32767, 300) << QSize(4096, 300);
    }

    void formSize()
    {
        QFETCH(QSize, asked);
        QFETCH(QSize, client);
        LyricsWindow form;
        LyricState state;
        state.begin(&form.canvas(), &form);
        form.setWordsSource(&state);
        QVERIFY(!state.applyCommand(dwdCommand(
            DwdCode::FormSize, qint16(qBound(-32768, asked.width(), 32767)), qint16(asked.height()))));
        QCOMPARE(form.size(), client);
        QCOMPARE(form.canvas().size(), client);
        QCOMPARE(state.displayRect, (TextRect{0, 0, client.width(), client.height()}));
    }

    // The pre text in grey with the reached pieces in blue over the same place,
    // the same after a full redraw on resize.
    void reachedPiecesTurnBlue_data()
    {
        QTest::addColumn<int>("reached");
        QTest::addColumn<QSize>("resizeTo");
        QTest::addColumn<QColor>("first");
        QTest::addColumn<QColor>("second");

        QTest::newRow("first page in grey") << 0 << QSize() << Grey << Grey;
        QTest::newRow("first piece reached") << 1 << QSize() << Blue << Grey;
        QTest::newRow("first piece reached, then a larger window") << 1 << QSize(500, 400) << Blue << Grey;
        QTest::newRow("two pieces reached, then a smaller window") << 2 << QSize(400, 200) << Blue << Blue;
    }

    void reachedPiecesTurnBlue()
    {
        QFETCH(int, reached);
        QFETCH(QSize, resizeTo);
        QFETCH(QColor, first);
        QFETCH(QColor, second);

        LyricsWindow form;
        LyricState state;
        form.setWordsSource(&state);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        state.begin(&form.canvas(), &form);
        LyricFeed feed(state, song());
        feed.start(form.clientRect());
        for (int i = 0; i < reached; ++i)
            QVERIFY(feed.reachNext());

        const ImageCanvas& canvas = form.canvas();
        const int height = canvas.textHeight("A");
        const int firstWidth = canvas.textWidth(song()[0].text);
        const QRect firstCell(0, 0, firstWidth, height);
        const QRect secondCell(firstWidth, 0, canvas.textWidth(sjis("きこえてくるよ")), height);
        const QImage before = canvas.image();
        if (resizeTo.isValid()) {
            form.resize(resizeTo);
            QCOMPARE(canvas.size(), resizeTo);
            const QRect common = QRect(QPoint(), resizeTo).intersected(before.rect());
            QCOMPARE(canvas.image().copy(common), before.copy(common));
        }

        const QImage image = canvas.image();
        const QColor other = first == Blue ? Grey : Blue;
        QVERIFY2(countColor(image, firstCell, first) > 20, "the first piece shows its colour");
        QCOMPARE(countColor(image, firstCell, other), 0);
        QVERIFY2(countColor(image, secondCell, second) > 20, "the second piece shows its colour");
        QCOMPARE(countColor(image, secondCell, second == Blue ? Grey : Blue), 0);
        QCOMPARE(image.pixelColor(image.width() - 1, image.height() - 1),
                 ColorValue::toQColor(ColorValue::WindowBackground));
        QCOMPARE(form.grab().toImage().convertToFormat(QImage::Format_RGB32), image);
    }

    void backColorRepaintsAtOnce()
    {
        LyricsWindow form;
        LyricState state;
        form.setWordsSource(&state);
        state.begin(&form.canvas(), &form);
        LyricFeed feed(state, song());
        feed.start(form.clientRect());
        QVERIFY(!state.applyCommand(dwdCommand(DwdCode::backColor, 0, 0, 64)));
        const QImage& image = form.canvas().image();
        QCOMPARE(image.pixelColor(434, 299), QColor(0, 0, 64));
        int textPixels = 0;
        for (int x = 0; x < 200; ++x)
            for (int y = 0; y < 20; ++y)
                textPixels += image.pixelColor(x, y) != QColor(0, 0, 64);
        QVERIFY2(textPixels > 20, "the pre text is drawn again on the new background");
    }

    // Shows the window stepping through a song, for a look at it on a real
    // screen: ONDEL_LYRICS_SHOW=<ms per piece> QT_QPA_PLATFORM=xcb test_lyrics -class tst_WordsDisplay
    void showForScreenshot()
    {
        const int pieceMs = qEnvironmentVariableIntValue("ONDEL_LYRICS_SHOW");
        if (pieceMs <= 0)
            QSKIP("set ONDEL_LYRICS_SHOW to watch the window");
        LyricsWindow form;
        LyricState state;
        form.setWordsSource(&state);
        form.move(20, 20);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        state.begin(&form.canvas(), &form);
        LyricFeed feed(state, song());
        feed.start(form.clientRect());
        QTest::qWait(3 * pieceMs);
        for (int i = 0; i < 3; ++i) {
            feed.reachNext();
            QTest::qWait(pieceMs);
        }
        QTest::qWait(2 * pieceMs);
        form.resize(560, 200);
        QTest::qWait(3 * pieceMs);
        while (feed.reachNext())
            QTest::qWait(pieceMs);
        QTest::qWait(3 * pieceMs);
    }
};

QTEST_MAIN(tst_WordsDisplay)
#include "tst_WordsDisplay.moc"
