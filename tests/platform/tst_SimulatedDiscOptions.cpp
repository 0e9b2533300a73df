#include "platform/Clock.h"
#include "platform/cdaudio/SimulatedDisc.h"

#include <QTest>

// A simulated disc whose options contradict each other is refused with the
// reason, never made into some other disc.
class tst_SimulatedDiscOptions : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void tracksAndLengthsAgree_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("error"); // empty: the disc is made
        QTest::newRow("lengths alone") << "lengths=0:05;0:06"
                                       << "";
        QTest::newRow("tracks alone") << "tracks=3"
                                      << "";
        QTest::newRow("tracks matching the lengths") << "tracks=2,lengths=0:05;0:06"
                                                     << "";
        QTest::newRow("fewer lengths than tracks") << "tracks=5,lengths=0:05;0:06"
                                                   << "tracks=5 does not match the 2 lengths given";
        QTest::newRow("more lengths than tracks") << "lengths=0:05;0:06;0:07,tracks=1"
                                                  << "tracks=1 does not match the 3 lengths given";
    }
    void tracksAndLengthsAgree()
    {
        QFETCH(QString, options);
        QFETCH(QString, error);
        ManualClock clock;
        QString why;
        const auto disc = SimulatedDisc::create(options, clock, &why);
        QCOMPARE(why, error);
        QCOMPARE(disc != nullptr, error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_SimulatedDiscOptions)
#include "tst_SimulatedDiscOptions.moc"
