#include "compile/TimelineScale.h"

#include <QTest>

// A view 800 pixels wide over a 60-second track, 441 samples (10 ms) a pixel.
class TimelineScaleTest : public QObject {
    Q_OBJECT

    static TimelineScale view()
    {
        TimelineScale scale;
        scale.setWidth(800);
        scale.setLength(60 * 44100);
        return scale;
    }

private Q_SLOTS:
    // The sample under the pointer stays under it; the zoom stops at its ends.
    void zoomKeepsThePointedSample_data()
    {
        QTest::addColumn<int>("scrollSteps");
        QTest::addColumn<int>("zoomSteps");
        QTest::addColumn<int>("x");
        QTest::addColumn<double>("samplesPerPixel");
        QTest::newRow("in twice at the middle") << 4 << 2 << 400 << 441.0 / 4;
        QTest::newRow("out once at the left") << 4 << -1 << 0 << 882.0;
        QTest::newRow("in past the finest") << 4 << 20 << 300 << 32.0;
    }
    void zoomKeepsThePointedSample()
    {
        QFETCH(int, scrollSteps);
        QFETCH(int, zoomSteps);
        QFETCH(int, x);
        QFETCH(double, samplesPerPixel);
        TimelineScale scale = view();
        scale.scroll(scrollSteps);
        const qint64 pointed = scale.sampleAtX(x);
        scale.zoom(zoomSteps, x);
        QCOMPARE(scale.samplesPerPixel(), samplesPerPixel);
        QVERIFY(std::abs(scale.sampleAtX(x) - pointed) <= qint64(samplesPerPixel) + 1);
    }

    // Never before the track's start nor so far that its end leaves the middle.
    void scrollStaysOnTheTrack_data()
    {
        QTest::addColumn<int>("steps");
        QTest::addColumn<qint64>("first");
        QTest::newRow("back from the start") << -3 << qint64(0);
        QTest::newRow("one step") << 1 << qint64(100 * 441);
        QTest::newRow("far past the end") << 1000 << qint64(60 * 44100 - 400 * 441);
    }
    void scrollStaysOnTheTrack()
    {
        QFETCH(int, steps);
        QFETCH(qint64, first);
        TimelineScale scale = view();
        scale.scroll(steps);
        QCOMPARE(scale.firstSample(), first);
    }

    // The playhead is kept within the left three quarters.
    void followsThePlayhead_data()
    {
        QTest::addColumn<int>("frame");
        QTest::addColumn<int>("x");
        QTest::newRow("in view: stays") << 300 << 400;
        QTest::newRow("past three quarters: a quarter in") << 600 << 200;
        QTest::newRow("behind the view: a quarter in") << 1500 << 200;
    }
    void followsThePlayhead()
    {
        QFETCH(int, frame);
        QFETCH(int, x);
        TimelineScale scale = view();
        scale.follow(frame);
        QCOMPARE(scale.xOfFrame(frame), x);
        QCOMPARE(scale.frameAtX(scale.xOfFrame(frame)), frame);
    }
};

QTEST_GUILESS_MAIN(TimelineScaleTest)
#include "tst_TimelineScale.moc"
