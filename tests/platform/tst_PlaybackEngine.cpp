#include "EngineFixtures.h"
#include "TestClasses.h"
#include "platform/Clock.h"
#include "platform/cdaudio/ClockSink.h"
#include "platform/cdaudio/PlaybackEngine.h"
#include "platform/cdaudio/TimeStretch.h"

#include <QTest>
#include <QTimer>
#include <deque>

using namespace EngineFixtures;

// The engine between a reader of numbered frames and sinks moved by hand:
// what is heard names the frame it came from, so every check is on the audio.
class tst_PlaybackEngine : public QObject {
    Q_OBJECT

    ManualClock clock_;
    std::deque<std::unique_ptr<PcmSink>> spare_; // what the next sink requests get
    std::vector<HandSink*> made_;

    HandSink* offerHandSink()
    {
        auto sink = std::make_unique<HandSink>();
        HandSink* raw = sink.get();
        made_.push_back(raw);
        spare_.push_back(std::move(sink));
        return raw;
    }

    std::unique_ptr<PlaybackEngine> makeEngine(PlaybackEngine::FrameReader reader = readNumberedFrames)
    {
        return std::make_unique<PlaybackEngine>(
            std::move(reader),
            [this]() -> std::unique_ptr<PcmSink> {
                if (spare_.empty())
                    return nullptr;
                auto next = std::move(spare_.front());
                spare_.pop_front();
                return next;
            },
            &clock_);
    }

    // "play N", "halt", "place N" or "tick", as a click or a tick would ask.
    static void perform(PlaybackEngine& engine, const QString& request)
    {
        const QStringList words = request.split(QLatin1Char(' '));
        if (words[0] == QLatin1String("play"))
            engine.start(words[1].toInt(), 6000);
        else if (words[0] == QLatin1String("halt"))
            engine.halt();
        else if (words[0] == QLatin1String("place"))
            engine.setPosition(words[1].toInt());
        else {
            engine.isPlaying();
            engine.position();
        }
    }

private Q_SLOTS:
    void init()
    {
        spare_.clear();
        made_.clear();
        clock_.set(0);
    }

    void requestsDeliveredInsideTheSinkRunAfterIt_data()
    {
        QTest::addColumn<QString>("outer");
        QTest::addColumn<QStringList>("delivered");
        QTest::addColumn<bool>("playing");
        QTest::addColumn<int>("frame"); // first frame heard, or where a stopped engine stands

        QTest::newRow("a play delivered inside a play")
            << "play 1000" << QStringList{"play 2000"} << true << 2000;
        QTest::newRow("a stop delivered inside a play")
            << "play 1000" << QStringList{"halt"} << false << 1000;
        QTest::newRow("a play delivered inside a stop") << "halt" << QStringList{"play 2000"} << true << 2000;
        QTest::newRow("the last of two plays wins")
            << "play 1000" << QStringList{"play 2000", "play 3000"} << true << 3000;
        QTest::newRow("a play then a stop inside a stop")
            << "halt" << QStringList{"play 2000", "halt"} << false << 2000;
        QTest::newRow("a tick inside a play changes nothing")
            << "play 1000" << QStringList{"tick"} << true << 1000;
        QTest::newRow("a play delivered while the door puts the disc back")
            << "place 150" << QStringList{"play 2000"} << true << 2000;
        QTest::newRow("a tick and a play inside a play")
            << "play 1000" << QStringList{"tick", "play 4000"} << true << 4000;
    }

    // A sink whose teardown runs the event loop hands the engine clicks and
    // ticks while it is still stopping the previous play: the engine must not
    // start a second reader inside the first, and must end as the last
    // request asked.
    void requestsDeliveredInsideTheSinkRunAfterIt()
    {
        QFETCH(QString, outer);
        QFETCH(QStringList, delivered);
        QFETCH(bool, playing);
        QFETCH(int, frame);

        HandSink* sink = offerHandSink();
        sink->eventLoopInside = true;
        auto engine = makeEngine();
        QVERIFY(engine->start(100, 6000));
        QCOMPARE(sink->playFrames(3), 3 * CdFrames::BytesPerFrame);

        for (const QString& request : delivered)
            QTimer::singleShot(0, this, [&engine, request] { perform(*engine, request); });
        perform(*engine, outer);
        QCoreApplication::processEvents();

        QCOMPARE(engine->isPlaying(), playing);
        if (playing) {
            QVERIFY(sink->playFrames(1) > 0);
            QCOMPARE(sink->firstHeardFrame(), frame);
        }
        else {
            QCOMPARE(engine->position(), frame);
        }
    }

    void positionIsWhatTheSinkPlayed_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("end");
        QTest::addColumn<qint64>("playedBytes");
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("playing");

        const qint64 frame = CdFrames::BytesPerFrame;
        QTest::newRow("nothing heard yet") << 150 << 1000 << qint64(0) << 150 << true;
        QTest::newRow("a frame short by one sample stays") << 150 << 1000 << frame - 4 << 150 << true;
        QTest::newRow("ten frames heard") << 150 << 1000 << 10 * frame << 160 << true;
        QTest::newRow("more than the ring holds") << 150 << 1000 << 400 * frame << 550 << true;
        QTest::newRow("the last frame heard ends the play") << 150 << 160 << 10 * frame << 160 << false;
        QTest::newRow("one sample short of the end plays on") << 150 << 160 << 10 * frame - 4 << 159 << true;
    }

    void positionIsWhatTheSinkPlayed()
    {
        QFETCH(int, from);
        QFETCH(int, end);
        QFETCH(qint64, playedBytes);
        QFETCH(int, position);
        QFETCH(bool, playing);

        HandSink* sink = offerHandSink();
        auto engine = makeEngine();
        QVERIFY(engine->start(from, end));
        QCOMPARE(sink->play(playedBytes), playedBytes);
        QCOMPARE(engine->isPlaying(), playing);
        QCOMPARE(engine->position(), position);
        QCOMPARE(sink->firstHeardFrame(), playedBytes >= 4 ? from : -1);
    }

    // Slowed audio is longer than the disc's: what was heard counts at the
    // tempo, so the position stays in disc time and the end is still reached.
    void slowedPlayKeepsDiscTime_data()
    {
        QTest::addColumn<int>("tempo");
        QTest::addColumn<int>("heardFrames");
        QTest::addColumn<int>("position");

        // Positions without the stretcher's lead (less than two frames).
        QTest::newRow("half speed") << 50 << 100 << 1050;
        QTest::newRow("three quarters") << 75 << 100 << 1075;
        QTest::newRow("three quarters, a frame not yet whole") << 75 << 1 << 1000;
        QTest::newRow("normal speed") << 100 << 100 << 1100;
        QTest::newRow("normal speed, one frame") << 100 << 1 << 1001;
    }

    void slowedPlayKeepsDiscTime()
    {
        QFETCH(int, tempo);
        QFETCH(int, heardFrames);
        QFETCH(int, position);

        HandSink* sink = offerHandSink();
        auto engine = makeEngine();
        engine->setTempo(tempo);
        QVERIFY(engine->start(1000, 1200));
        QCOMPARE(sink->playFrames(heardFrames), qint64(heardFrames) * CdFrames::BytesPerFrame);
        const qint64 disc = qint64(heardFrames) * CdFrames::SamplesPerFrame * tempo / 100;
        const int lead = tempo == 100 ? 0 : TimeStretch(tempo).leadSamples();
        QVERIFY(lead < 2 * CdFrames::SamplesPerFrame);
        QCOMPARE(engine->position(),
                 1000 + int((disc + std::min<qint64>(lead, disc)) / CdFrames::SamplesPerFrame));
        QVERIFY(engine->position() - position <= 2);

        // Everything the stretcher gives for 200 disc frames takes the play to its end.
        const qint64 total = (200LL * CdFrames::BytesPerFrame / 4 * 100 + tempo - 1) / tempo * 4;
        QCOMPARE(sink->play(total * 2) + qint64(heardFrames) * CdFrames::BytesPerFrame, total);
        QVERIFY(!engine->isPlaying());
        QCOMPARE(engine->position(), 1200);
    }

    void aNewTempoGoesOnFromWhatWasHeard()
    {
        HandSink* sink = offerHandSink();
        auto engine = makeEngine();
        QVERIFY(engine->start(1000, 6000));
        sink->playFrames(40);
        engine->setTempo(50);
        QCOMPARE(sink->starts, 2);
        QCOMPARE(engine->position(), 1040);
        sink->playFrames(20);
        const int lead = TimeStretch(50).leadSamples();
        QCOMPARE(engine->position(),
                 1040 + (10 * CdFrames::SamplesPerFrame + lead) / CdFrames::SamplesPerFrame);
        engine->setTempo(50); // the same tempo again restarts nothing
        QCOMPARE(sink->starts, 2);
        engine->setTempo(30); // out of range: ignored
        QCOMPARE(engine->tempo(), 50);

        engine->setTempo(100);
        QCOMPARE(sink->starts, 3);
        sink->playFrames(2);
        const int resumed = 1040 + (10 * CdFrames::SamplesPerFrame + lead) / CdFrames::SamplesPerFrame;
        QCOMPARE(sink->firstHeardFrame(), resumed); // normal speed is the disc's own samples
        QCOMPARE(engine->position(), resumed + 2);
    }

    void haltKeepsWhatWasHeardAndAnotherPlayStartsWhereAsked()
    {
        HandSink* sink = offerHandSink();
        auto engine = makeEngine();
        QVERIFY(!engine->start(500, 500));
        QVERIFY(engine->start(150, 6000));
        sink->playFrames(5);
        engine->halt();
        QVERIFY(!engine->isPlaying());
        QCOMPARE(engine->position(), 155);
        QCOMPARE(sink->play(4), 0); // stopped: nothing more comes out

        QVERIFY(engine->start(3000, 6000));
        sink->playFrames(2);
        QCOMPARE(sink->firstHeardFrame(), 3000);
        QCOMPARE(engine->position(), 3002);
        engine->setPosition(150);
        QCOMPARE(engine->position(), 150);
        QCOMPARE(sink->starts, 2);
    }

    void unreadableFramesPlayAsSilenceAndAreCounted()
    {
        HandSink* sink = offerHandSink();
        auto engine = makeEngine([](int frame, int count, char* out, QString* error) {
            readNumberedFrames(frame, count, out, error);
            if (frame + count <= 208 || frame >= 216)
                return true;
            std::memset(out, 0, size_t(count) * CdFrames::BytesPerFrame);
            *error = QStringLiteral("a scratch");
            return false;
        });
        QVERIFY(engine->start(200, 240));
        QCOMPARE(sink->playFrames(40), 40 * CdFrames::BytesPerFrame);
        QVERIFY(!engine->isPlaying());
        QCOMPARE(engine->unreadableFrames(), 8);
        QCOMPARE(engine->position(), 240);
    }

    void aFailedOutputGivesWayWithoutLosingThePlace_data()
    {
        QTest::addColumn<bool>("atStart");
        QTest::addColumn<bool>("serverBack");
        QTest::addColumn<int>("resumedAt"); // frame the next output starts from

        QTest::newRow("refused at start, no server") << true << false << 150;
        QTest::newRow("gone while playing, no server") << false << false << 160;
        QTest::newRow("gone while playing, server back") << false << true << 160;
    }

    void aFailedOutputGivesWayWithoutLosingThePlace()
    {
        QFETCH(bool, atStart);
        QFETCH(bool, serverBack);
        QFETCH(int, resumedAt);

        HandSink* first = offerHandSink();
        first->failAtStart = atStart;
        auto engine = makeEngine();
        QVERIFY(engine->start(150, 6000));
        if (!atStart) {
            first->playFrames(10);
            first->breakDown();
        }
        HandSink* second = serverBack ? offerHandSink() : nullptr;
        QVERIFY(engine->isPlaying());
        QCOMPARE(engine->position(), resumedAt);
        if (second) {
            QCOMPARE(engine->sink(), second);
            second->playFrames(1);
            QCOMPARE(second->firstHeardFrame(), resumedAt);
        }
        else {
            QVERIFY(engine->sink()->standsIn());
            QTest::qWait(300);    // the reader queues a second ahead
            clock_.advance(1000); // the silent clock goes on in real time
            QTRY_COMPARE(engine->position(), resumedAt + 75);
        }
    }

    void aStandInGivesWayToTheServerAtTheNextPlay()
    {
        spare_.push_back(PcmSink::silentStandIn(clock_));
        auto engine = makeEngine();
        QVERIFY(engine->start(150, 6000));
        QVERIFY(engine->sink()->standsIn());
        HandSink* real = offerHandSink();
        QVERIFY(engine->start(900, 6000));
        QCOMPARE(engine->sink(), real);
        real->playFrames(1);
        QCOMPARE(real->firstHeardFrame(), 900);
    }
};

ONDEL_TEST_CLASS(tst_PlaybackEngine)
#include "tst_PlaybackEngine.moc"
