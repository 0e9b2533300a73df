#include "compile/TapCalibration.h"

#include <QTest>

namespace {
// The moment of tap-along click n (0 is the first click after the listen ones).
qint64 along(int n)
{
    return TapCalibration::clickMs(TapCalibration::ListenClicks + n);
}

// A tap on each tap-along click from the first, offset by the given ms.
QList<qint64> taps(const QList<int>& offsets)
{
    QList<qint64> heard;
    for (int n = 0; n < offsets.size(); ++n)
        heard << along(n) + offsets[n];
    return heard;
}
} // namespace

class tst_TapCalibration : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Taps in, the clicks they were matched to (-1: ignored) and the result.
    void measuresTheMedianOffset_data()
    {
        QTest::addColumn<QList<qint64>>("heard");
        QTest::addColumn<QList<int>>("clicks");
        QTest::addColumn<int>("matched");
        QTest::addColumn<bool>("told");
        QTest::addColumn<int>("latency");
        QTest::addColumn<int>("spread");

        QTest::newRow("late on every click") << taps({45, 45, 45, 45, 45, 45, 45, 45})
                                             << QList<int>{4, 5, 6, 7, 8, 9, 10, 11} << 8 << true << 45 << 0;
        QTest::newRow("early on every click")
            << taps({-30, -28, -32, -30, -30, -31, -29, -30}) << QList<int>{4, 5, 6, 7, 8, 9, 10, 11} << 8
            << true << -30 << 1;
        // -20 5 10 40 100: median 10, deviations 0 5 30 30 90.
        QTest::newRow("mixed, an odd count: the middle one")
            << taps({10, -20, 40, 5, 100}) << QList<int>{4, 5, 6, 7, 8} << 5 << true << 10 << 30;
        // 30 and 41 in the middle: 35.5 goes up; deviations' middle 14.5 and 15.5.
        QTest::newRow("an even count: the mean of the middle two")
            << taps({10, 20, 30, 41, 50, 60}) << QList<int>{4, 5, 6, 7, 8, 9} << 6 << true << 36 << 15;
        QTest::newRow("an early half millisecond rounds away from zero too")
            << taps({-10, -20, -30, -41, -50, -60}) << QList<int>{4, 5, 6, 7, 8, 9} << 6 << true << -36 << 15;
        QTest::newRow("four taps are too few")
            << taps({20, 20, 20, 20}) << QList<int>{4, 5, 6, 7} << 4 << false << 0 << 0;
        QTest::newRow("no taps at all") << QList<qint64>{} << QList<int>{} << 0 << false << 0 << 0;
        QTest::newRow("taps on the listen clicks do not count")
            << QList<qint64>{320, 920, 1520, 2120, along(0) + 20, along(1) + 20, along(2) + 20, along(3) + 20}
            << QList<int>{-1, -1, -1, -1, 4, 5, 6, 7} << 4 << false << 0 << 0;
        QTest::newRow("listen taps do not spoil the tap-along ones")
            << QList<qint64>{320, 920, 1520, 2120} + taps({20, 20, 20, 20, 20})
            << QList<int>{-1, -1, -1, -1, 4, 5, 6, 7, 8} << 5 << true << 20 << 0;
        // The first tap on a click holds; a bounce on the key or a second
        // try does not move the result.
        QTest::newRow("a second tap on a click is ignored")
            << QList<qint64>{along(0) + 10, along(0) + 200, along(1) + 10, along(1) - 5,
                             along(2) + 10, along(3) + 10,  along(4) + 10}
            << QList<int>{4, -1, 5, -1, 6, 7, 8} << 5 << true << 10 << 0;
        QTest::newRow("the edges of the windows")
            << QList<qint64>{along(0) - 301,
                             along(0) - 300,
                             along(1) + 299,
                             along(2) - 300,
                             along(7) + 299,
                             along(7) + 300,
                             along(7) + 5000,
                             -5,
                             0}
            << QList<int>{-1, 4, 5, 6, 11, -1, -1, -1, -1} << 4 << false << 0 << 0;
        QTest::newRow("half an interval late is early for the next click")
            << QList<qint64>{along(0) + 300, along(1) + 300, along(2) + 300, along(3) + 300, along(4) + 300}
            << QList<int>{5, 6, 7, 8, 9} << 5 << true << -300 << 0;
        // -290 -250 -150 0 100 150 200 280: median 50, deviations' middle 150 and 200.
        QTest::newRow("taps that follow no beat are refused")
            << taps({-250, 200, -150, 280, 0, -290, 150, 100}) << QList<int>{4, 5, 6, 7, 8, 9, 10, 11} << 8
            << false << 0 << 175;
        QTest::newRow("a spread at the bound is still a measurement")
            << taps({0, 80, -80, 80, -80}) << QList<int>{4, 5, 6, 7, 8} << 5 << true << 0 << 80;
        QTest::newRow("one more is not")
            << taps({0, 81, -81, 81, -81}) << QList<int>{4, 5, 6, 7, 8} << 5 << false << 0 << 81;
        QTest::newRow("one stray tap does not move the median")
            << taps({40, 45, 250, 50, 42, 47}) << QList<int>{4, 5, 6, 7, 8, 9} << 6 << true << 46 << 4;
    }
    void measuresTheMedianOffset()
    {
        QFETCH(QList<qint64>, heard);
        QFETCH(QList<int>, clicks);
        QFETCH(int, matched);
        QFETCH(bool, told);
        QFETCH(int, latency);
        QFETCH(int, spread);

        TapCalibration calibration;
        // Taps left from an earlier count-in must not count.
        calibration.tap(along(0) + 250);
        calibration.reset();
        QList<int> got;
        for (const qint64 ms : heard)
            got << calibration.tap(ms).value_or(-1);
        QCOMPARE(got, clicks);
        QCOMPARE(calibration.matchedCount(), matched);

        const TapCalibration::Result result = calibration.result();
        QCOMPARE(result.matched, matched);
        QCOMPARE(result.latencyMs.has_value(), told);
        if (told) {
            QCOMPARE(*result.latencyMs, latency);
            QCOMPARE(result.spreadMs, spread);
            QVERIFY(result.reason.isEmpty());
            QVERIFY(std::abs(*result.latencyMs) <= TapCalibration::MaxLatencyMs);
        }
        else if (matched < TapCalibration::MinMatchedTaps) {
            QCOMPARE(result.reason, TapCalibration::tooFewMessage(matched));
        }
        else {
            QCOMPARE(result.spreadMs, spread);
            QCOMPARE(result.reason, TapCalibration::tooScatteredMessage(spread));
        }
    }

    // Each matched tap keeps its own offset, for the lamps and the record.
    void offsetsPerClick()
    {
        TapCalibration calibration;
        calibration.tap(along(2) - 17);
        QCOMPARE(calibration.offsetOf(TapCalibration::ListenClicks + 2).value_or(0), -17);
        QVERIFY(!calibration.offsetOf(TapCalibration::ListenClicks + 3));
        QVERIFY(!calibration.offsetOf(-1));
        QVERIFY(!calibration.offsetOf(TapCalibration::Clicks));
    }

    void clickSounding_data()
    {
        QTest::addColumn<qint64>("heard");
        QTest::addColumn<int>("click"); // -1: none
        QTest::newRow("before the first click") << qint64(TapCalibration::FirstClickMs - 1) << -1;
        QTest::newRow("the first click") << qint64(TapCalibration::FirstClickMs) << 0;
        QTest::newRow("its lamp's last moment") << qint64(TapCalibration::FirstClickMs + 149) << 0;
        QTest::newRow("dark again") << qint64(TapCalibration::FirstClickMs + 150) << -1;
        QTest::newRow("the first tap-along click") << along(0) + 10 << TapCalibration::ListenClicks;
        QTest::newRow("the last click") << along(7) << TapCalibration::Clicks - 1;
        QTest::newRow("after the count-in") << TapCalibration::lengthMs << -1;
    }
    void clickSounding()
    {
        QFETCH(qint64, heard);
        QFETCH(int, click);
        QCOMPARE(TapCalibration::clickSounding(heard, 150).value_or(-1), click);
    }

    // What the window and the dialog show, byte for byte.
    void texts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("late") << TapCalibration::resultText(45, 12) << "+45 ms（ばらつき 12 ms）";
        QTest::newRow("early") << TapCalibration::resultText(-8, 3) << "-8 ms（ばらつき 3 ms）";
        QTest::newRow("on the beat") << TapCalibration::resultText(0, 0) << "0 ms（ばらつき 0 ms）";
        QTest::newRow("kept, late") << TapCalibration::keptText(45) << "遅れ補正 +45 ms";
        QTest::newRow("kept, early") << TapCalibration::keptText(-20) << "遅れ補正 -20 ms";
        QTest::newRow("kept, none") << TapCalibration::keptText(0) << "遅れ補正 なし";
    }
    void texts()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(text, expected);
    }
};

QTEST_GUILESS_MAIN(tst_TapCalibration)
#include "tst_TapCalibration.moc"
