#include "player/SoundClock.h"

#include <QList>
#include <QPoint>
#include <QTest>

// The track time between ticks from whole-frame position reports. Reports are
// (wall ms, frames); a frame is 13.3 ms.
class tst_SoundClock : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void trackTime_data()
    {
        QTest::addColumn<QList<QPoint>>("reports");
        QTest::addColumn<int>("wallMs");
        QTest::addColumn<int>("trackMs");
        QTest::addColumn<int>("uncertaintyMs");
        QTest::addColumn<bool>("running");

        // A disc 7 ms behind the wall clock, read at five ticks.
        const QList<QPoint> steady{{1000, 74}, {1050, 78}, {1100, 81}, {1150, 85}, {1200, 89}};
        QTest::newRow("one report: the start of its frame")
            << QList<QPoint>{{1000, 75}} << 1000 << 1000 << 14 << false;
        QTest::newRow("one report, 20 ms on") << QList<QPoint>{{1000, 75}} << 1020 << 1020 << 14 << false;
        QTest::newRow("ticks at different phases narrow it to a few ms, never ahead")
            << steady << 1210 << 1200 << 4 << true;
        QTest::newRow("a disc that stands still starts over at every tick")
            << QList<QPoint>{{1000, 75}, {1050, 75}, {1100, 75}} << 1100 << 1000 << 14 << false;
        QTest::newRow("a seek starts over from the new place")
            << (steady + QList<QPoint>{{1250, 750}}) << 1250 << 10000 << 14 << false;
        QTest::newRow("and narrows again from there")
            << (steady + QList<QPoint>{{1250, 750}, {1300, 753}}) << 1300 << 10050 << 4 << true;
    }

    void trackTime()
    {
        QFETCH(QList<QPoint>, reports);
        QFETCH(int, wallMs);
        QFETCH(int, trackMs);
        QFETCH(int, uncertaintyMs);
        QFETCH(bool, running);

        SoundClock clock;
        for (const QPoint& r : reports)
            clock.observe(r.x(), TrackPosition::fromFrames(r.y()));
        QCOMPARE(clock.trackMsAt(wallMs), trackMs);
        QCOMPARE(clock.uncertaintyMs(), uncertaintyMs);
        QCOMPARE(clock.running(), running);
    }
};

QTEST_MAIN(tst_SoundClock)
#include "tst_SoundClock.moc"
