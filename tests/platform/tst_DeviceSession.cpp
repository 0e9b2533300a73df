#include "platform/Clock.h"
#include "platform/cdaudio/DeviceSession.h"
#include "platform/cdaudio/DiscIdentity.h"
#include "platform/cdaudio/DiscSource.h"
#include "platform/cdaudio/SimulatedDisc.h"

#include <QTest>

namespace {
struct Drive {
    ManualClock clock;
    std::unique_ptr<DeviceSession> session;

    explicit Drive(const QString& options)
    {
        QString error;
        auto disc = SimulatedDisc::create(options, clock, &error);
        if (!disc)
            qFatal("bad sim options: %s", qPrintable(error));
        session = std::make_unique<DeviceSession>(std::move(disc));
    }
    QByteArray ask(const char* command, int* result = nullptr)
    {
        ReplyBuffer reply;
        const int code = session->sendCommand(command, reply);
        if (result)
            *result = code;
        return reply.toByteArray();
    }
    // Runs a ';'-separated list of commands, "+N" advancing the clock by N ms.
    void run(const QString& steps)
    {
        for (const QString& step : steps.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            if (step.startsWith(QLatin1Char('+')))
                clock.advance(step.mid(1).toLongLong());
            else
                ask(step.toUtf8().constData());
        }
    }
};
// A drive whose disc is taken out while it is asked where it plays: a real
// drive reads its disc again when asked and may find none.
class DiscGoneWhileAsked final : public DiscSource {
public:
    QString lockKey() const override { return QStringLiteral("disc-gone-while-asked"); }
    DiscPresence presence() const override
    {
        return toc_.trackCount() ? DiscPresence::Ready : DiscPresence::NoDisc;
    }
    const DiscToc& toc() const override { return toc_; }
    bool start(int, int) override { return true; }
    void halt() override {}
    bool isPlaying() override { return false; }
    int position() override
    {
        toc_ = DiscToc{};
        return 4000;
    }
    void setTempo(int) override {}
    void doorMoved(bool) override {}

private:
    DiscToc toc_{{150, 20000}, 40000};
};
} // namespace

class tst_DeviceSession : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void replies_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("result");
        QTest::addColumn<QByteArray>("reply");

        const QString opened = QStringLiteral("open cdaudio;set cdaudio time format tmsf;");
        QTest::newRow("eight tracks as one character")
            << "" << opened << "status cdaudio number of tracks wait" << 0 << QByteArray("8");
        QTest::newRow("twelve tracks as two characters")
            << "tracks=12" << opened << "status cdaudio number of tracks wait" << 0 << QByteArray("12");
        QTest::newRow("position at start of track 1")
            << "" << opened << "status cdaudio position wait" << 0 << QByteArray("01:00:00:00");
        QTest::newRow("positioned on track 5")
            << "track=5" << opened << "status cdaudio position wait" << 0 << QByteArray("05:00:00:00");
        QTest::newRow("mode stopped")
            << "" << opened << "status cdaudio mode wait" << 0 << QByteArray("stopped");
        QTest::newRow("mode playing") << "" << opened + "play cdaudio from 1"
                                      << "status cdaudio mode wait" << 0 << QByteArray("playing");
        QTest::newRow("position within track while playing")
            << "tracks=4,length=2:00" << opened + "play cdaudio from 3;+67560"
            << "status cdaudio position wait" << 0 << QByteArray("03:01:07:42");
        QTest::newRow("play runs into the next track")
            << "tracks=3,length=0:04" << opened + "play cdaudio from 1;+4500"
            << "status cdaudio position wait" << 0 << QByteArray("02:00:00:37");
        // The player answers the disc entering a track by itself with a play of
        // it: the stream goes on; any other play starts again where it says.
        QTest::newRow("a play of the track just entered goes on")
            << "tracks=3,length=0:04" << opened + "play cdaudio from 1;+4500;play cdaudio from 2;+100"
            << "status cdaudio position wait" << 0 << QByteArray("02:00:00:45");
        QTest::newRow("a play of the track entered a second ago starts it again")
            << "tracks=3,length=0:04" << opened + "play cdaudio from 1;+5000;play cdaudio from 2;+100"
            << "status cdaudio position wait" << 0 << QByteArray("02:00:00:07");
        QTest::newRow("a play of the track it started at starts it again")
            << "tracks=3,length=0:04" << opened + "play cdaudio from 2;+500;play cdaudio from 2;+100"
            << "status cdaudio position wait" << 0 << QByteArray("02:00:00:07");
        QTest::newRow("a play from within the track just entered seeks")
            << "tracks=3,length=0:04"
            << opened + "play cdaudio from 1;+4500;play cdaudio from 02:00:00:10;+100"
            << "status cdaudio position wait" << 0 << QByteArray("02:00:00:17");
        QTest::newRow("a play of the track just entered after a stop starts it")
            << "tracks=3,length=0:04"
            << opened + "play cdaudio from 1;+4500;stop cdaudio;play cdaudio from 2;+100"
            << "status cdaudio position wait" << 0 << QByteArray("02:00:00:07");
        QTest::newRow("stopped after the end of the disc")
            << "tracks=2,length=0:04" << opened + "play cdaudio from 2;+5000"
            << "status cdaudio mode wait" << 0 << QByteArray("stopped");
        QTest::newRow("stop keeps the position")
            << "tracks=3,length=1:00" << opened + "play cdaudio from 2;+3000;stop cdaudio;+9000"
            << "status cdaudio position wait" << 0 << QByteArray("02:00:03:00");
        QTest::newRow("track length") << "lengths=1:00;2:30:10" << opened
                                      << "status cdaudio length track 2 wait" << 0 << QByteArray("02:30:10");
        QTest::newRow("disc length") << "lengths=1:00;2:30:10" << opened << "status cdaudio length wait" << 0
                                     << QByteArray("03:30:10");
        QTest::newRow("length of a missing track")
            << "tracks=2" << opened << "status cdaudio length track 3 wait" << 282 << QByteArray();
        QTest::newRow("fixed identity")
            << "id=1a2b3c4d" << opened << "info cdaudio identity wait" << 0 << QByteArray("1a2b3c4d");
        QTest::newRow("door opened") << "" << opened + "play cdaudio from 1;+1000;set cdaudio door open"
                                     << "status cdaudio mode wait" << 0 << QByteArray("open");
        QTest::newRow("identity with the door open") << "id=x" << opened + "set cdaudio door open"
                                                     << "info cdaudio identity wait" << 276 << QByteArray();
        QTest::newRow("door closed again") << "" << opened + "set cdaudio door open;set cdaudio door closed"
                                           << "status cdaudio mode wait" << 0 << QByteArray("stopped");
        QTest::newRow("door closed returns to track 1")
            << "track=4" << opened + "set cdaudio door open;set cdaudio door closed"
            << "status cdaudio position wait" << 0 << QByteArray("01:00:00:00");
        QTest::newRow("sim with the door open")
            << "state=open" << opened << "status cdaudio mode wait" << 0 << QByteArray("open");
        QTest::newRow("open sim loads its disc when closed")
            << "state=open" << opened + "set cdaudio door closed"
            << "status cdaudio mode wait" << 0 << QByteArray("stopped");
        QTest::newRow("no disc is not ready")
            << "state=empty" << opened << "status cdaudio mode wait" << 0 << QByteArray("not ready");
        QTest::newRow("identity with no disc")
            << "state=empty" << opened << "info cdaudio identity wait" << 276 << QByteArray();
        QTest::newRow("play with no disc")
            << "state=empty" << opened << "play cdaudio from 1" << 276 << QByteArray();
        QTest::newRow("position with no disc")
            << "state=empty" << opened << "status cdaudio position wait" << 276 << QByteArray();
        QTest::newRow("play of a missing track")
            << "tracks=3" << opened << "play cdaudio from 4" << 282 << QByteArray();
        QTest::newRow("missing track changes nothing")
            << "tracks=3" << opened + "play cdaudio from 2;+1000;play cdaudio from 9"
            << "status cdaudio position wait" << 0 << QByteArray("02:00:01:00");
        QTest::newRow("play of track 0") << "" << opened << "play cdaudio from 0" << 282 << QByteArray();
        QTest::newRow("play from a position in a track")
            << "tracks=4,length=2:00" << opened + "play cdaudio from 03:01:05:40;+1000"
            << "status cdaudio position wait" << 0 << QByteArray("03:01:06:40");
        QTest::newRow("play from the last frame of a track")
            << "tracks=2,length=0:04" << opened + "play cdaudio from 01:00:03:74"
            << "status cdaudio position wait" << 0 << QByteArray("01:00:03:74");
        QTest::newRow("play from past the end of a track")
            << "tracks=2,length=0:04" << opened << "play cdaudio from 01:00:04:00" << 282 << QByteArray();
        QTest::newRow("play from frame 75")
            << "tracks=2" << opened << "play cdaudio from 01:00:00:75" << 282 << QByteArray();
        QTest::newRow("play from a malformed position")
            << "tracks=2" << opened << "play cdaudio from 01:00:00" << 261 << QByteArray();
        QTest::newRow("play of no number") << "" << opened << "play cdaudio from x" << 261 << QByteArray();
        QTest::newRow("unknown command") << "" << opened << "seek cdaudio to start" << 261 << QByteArray();
        QTest::newRow("another device type")
            << "" << opened << "status waveaudio mode wait" << 261 << QByteArray();
        QTest::newRow("empty command") << "" << opened << "" << 261 << QByteArray();
        QTest::newRow("other time format")
            << "" << opened << "set cdaudio time format frames" << 261 << QByteArray();
        QTest::newRow("before open") << ""
                                     << ""
                                     << "status cdaudio mode wait" << 263 << QByteArray();
        QTest::newRow("after close") << "" << opened + "close cdaudio"
                                     << "status cdaudio mode wait" << 263 << QByteArray();
        QTest::newRow("open answers a device id") << ""
                                                  << ""
                                                  << "open cdaudio" << 0 << QByteArray("1");
        QTest::newRow("held by another program") << "state=busy"
                                                 << ""
                                                 << "open cdaudio" << 298 << QByteArray();
        QTest::newRow("speed multiplies the clock")
            << "speed=2" << opened + "play cdaudio from 1;+1000"
            << "status cdaudio position wait" << 0 << QByteArray("01:00:02:00");
        // Slowed playback keeps disc time: two seconds heard at half speed are one on the disc.
        QTest::newRow("half speed") << "" << opened + "set cdaudio speed 50;play cdaudio from 1;+2000"
                                    << "status cdaudio position wait" << 0 << QByteArray("01:00:01:00");
        QTest::newRow("speed changed while playing counts the time before at the old speed")
            << "" << opened + "play cdaudio from 1;+1000;set cdaudio speed 75;+2000"
            << "status cdaudio position wait" << 0 << QByteArray("01:00:02:37");
        QTest::newRow("speed set before the disc plays") << "" << opened + "set cdaudio speed 80"
                                                         << "status cdaudio speed" << 0 << QByteArray("80");
        QTest::newRow("normal speed at first")
            << "" << opened << "status cdaudio speed" << 0 << QByteArray("100");
        QTest::newRow("slower than half") << "" << opened + "set cdaudio speed 80"
                                          << "set cdaudio speed 49" << 282 << QByteArray();
        QTest::newRow("faster than normal") << "" << opened << "set cdaudio speed 101" << 282 << QByteArray();
        QTest::newRow("a refused speed keeps the last one")
            << "" << opened + "set cdaudio speed 60;set cdaudio speed 120"
            << "status cdaudio speed" << 0 << QByteArray("60");
        QTest::newRow("speed is a whole percent")
            << "" << opened << "set cdaudio speed 75.5" << 261 << QByteArray();
        QTest::newRow("the disc's own level at first")
            << "" << opened << "status cdaudio volume wait" << 0 << QByteArray("100");
        QTest::newRow("a volume set is kept") << "" << opened + "set cdaudio volume 40;play cdaudio from 2"
                                              << "status cdaudio volume" << 0 << QByteArray("40");
        QTest::newRow("a volume over twice the level")
            << "" << opened << "set cdaudio volume 201" << 282 << QByteArray();
        QTest::newRow("a volume that is no number")
            << "" << opened << "set cdaudio volume -5" << 261 << QByteArray();
        // The monitor's queries, written as a user of the command layer may.
        QTest::newRow("mode in capitals with tabs")
            << "" << opened + "play cdaudio from 1"
            << "\tSTATUS  CDAudio\tMode " << 0 << QByteArray("playing");
        QTest::newRow("position without wait")
            << "tracks=4,length=2:00" << opened + "play cdaudio from 3;+67560"
            << "status cdaudio position" << 0 << QByteArray("03:01:07:42");
        QTest::newRow("position past 99 minutes")
            << "lengths=120:00" << opened + "play cdaudio from 1;+6001000"
            << "Status cdaudio position WAIT" << 0 << QByteArray("01:100:01:00");
        QTest::newRow("volume in capitals") << "" << opened + "set cdaudio volume 7"
                                            << "STATUS CDAUDIO VOLUME WAIT" << 0 << QByteArray("7");
        QTest::newRow("mode waited for twice")
            << "" << opened << "status cdaudio mode wait wait" << 261 << QByteArray();
        QTest::newRow("modes") << "" << opened << "status cdaudio modes" << 261 << QByteArray();
        QTest::newRow("position of another device")
            << "" << opened << "status cdaudio2 position" << 261 << QByteArray();
        QTest::newRow("position before open") << ""
                                              << ""
                                              << "status cdaudio position wait" << 263 << QByteArray();
        QTest::newRow("speed of a closed device") << ""
                                                  << ""
                                                  << "set cdaudio speed 75" << 263 << QByteArray();
    }

    void replies()
    {
        QFETCH(QString, options);
        QFETCH(QString, before);
        QFETCH(QString, command);
        QFETCH(int, result);
        QFETCH(QByteArray, reply);
        Drive drive(options);
        drive.run(before);
        int code = -1;
        QCOMPARE(drive.ask(command.toUtf8().constData(), &code), reply);
        QCOMPARE(code, result);
    }

    void identityIsTheDiscIdOfTheTable()
    {
        Drive drive(QStringLiteral("tracks=3,length=1:00"));
        drive.ask("open cdaudio");
        const QByteArray id = drive.ask("info cdaudio identity wait");
        QCOMPARE(id.size(), 28);
        QCOMPARE(id, DiscIdentity::fromToc(drive.session->source().toc()));
        Drive other(QStringLiteral("tracks=3,length=1:01"));
        other.ask("open cdaudio");
        QVERIFY(other.ask("info cdaudio identity wait") != id);
    }

    void positionOfADiscThatWentIsNotReady()
    {
        DeviceSession session(std::make_unique<DiscGoneWhileAsked>());
        ReplyBuffer reply;
        QCOMPARE(session.sendCommand("open cdaudio", reply), 0);
        QCOMPARE(session.sendCommand("status cdaudio position wait", reply), 276);
        QCOMPARE(reply.toByteArray(), QByteArray());
    }

    void secondSessionOnTheSameSourceIsRefused()
    {
        Drive first(QStringLiteral("tracks=5,id=lock-test"));
        Drive second(QStringLiteral("tracks=5,id=lock-test"));
        QCOMPARE(first.ask("open cdaudio"), QByteArray("1"));
        int code = 0;
        QCOMPARE(second.ask("open cdaudio", &code), QByteArray());
        QVERIFY(code != 0);
        first.ask("close cdaudio");
        QCOMPARE(second.ask("open cdaudio"), QByteArray("1"));
    }

    void simOptionMistakes_data()
    {
        QTest::addColumn<QString>("options");
        QTest::newRow("not key=value") << "tracks";
        QTest::newRow("unknown key") << "colour=red";
        QTest::newRow("zero tracks") << "tracks=0";
        QTest::newRow("100 tracks") << "tracks=100";
        QTest::newRow("seconds past 59") << "length=1:60";
        QTest::newRow("zero length") << "length=0:00";
        QTest::newRow("bad state") << "state=broken";
        QTest::newRow("negative speed") << "speed=-1";
        QTest::newRow("start track off the disc") << "tracks=3,track=4";
        QTest::newRow("empty lengths") << "lengths=;";
    }

    void simOptionMistakes()
    {
        QFETCH(QString, options);
        QString error;
        QVERIFY(!SimulatedDisc::parse(options, &error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_DeviceSession)
#include "tst_DeviceSession.moc"
