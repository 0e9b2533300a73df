#include "GeneratedMusic.h"
#include "analysis/OnsetSnap.h"
#include "analysis/TrackAnalyzer.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TrackAnalyzerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { TrackAnalyzer::clearCache(); }

    // A file's track analysed on the worker: progress up to 100, the onsets
    // of the song, and a second start answered at once from memory.
    void analysesOnTheWorkerThenRemembers()
    {
        QTemporaryDir dir;
        const GeneratedSong song = GeneratedMusic::drums(6, 7);
        const QString path = dir.filePath(QStringLiteral("drums.wav"));
        QVERIFY(GeneratedMusic::writeWav(song, path));

        TrackAnalyzer analyzer;
        QSignalSpy progressed(&analyzer, &TrackAnalyzer::progressed);
        QSignalSpy finished(&analyzer, &TrackAnalyzer::finished);
        analyzer.start(path, 1);
        QVERIFY(analyzer.running());
        QVERIFY(finished.wait(10000));
        QCOMPARE(progressed.last().at(0).toInt(), 100);
        const auto analysis = analyzer.analysis();
        QVERIFY(analysis);
        QVERIFY(analysis->samples >= qint64(song.samples.size()));
        QCOMPARE(analysis->onsets.size(), song.onsets.size());
        for (size_t i = 0; i < song.onsets.size(); ++i)
            QVERIFY2(std::abs(analysis->onsets[i] - song.onsets[i]) <= OnsetSnap::SamplesPerFrame,
                     qPrintable(QString::number(i)));

        TrackAnalyzer again;
        QSignalSpy finishedAgain(&again, &TrackAnalyzer::finished);
        again.start(path, 1);
        QCOMPARE(finishedAgain.size(), 1);
        QCOMPARE(again.analysis(), analysis);
    }

    void refusesWhatCannotBeRead_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("track");
        QTest::newRow("no such file") << "missing.wav" << 1;
        QTest::newRow("no such track") << "song.wav" << 2;
        QTest::newRow("track zero") << "song.wav" << 0;
        QTest::newRow("not audio") << "notes.txt" << 1;
    }
    void refusesWhatCannotBeRead()
    {
        QFETCH(QString, file);
        QFETCH(int, track);
        QTemporaryDir dir;
        QVERIFY(
            GeneratedMusic::writeWav(GeneratedMusic::tones(1, 1), dir.filePath(QStringLiteral("song.wav"))));
        QFile text(dir.filePath(QStringLiteral("notes.txt")));
        QVERIFY(text.open(QIODevice::WriteOnly) && text.write("not a sound") > 0);
        text.close();
        TrackAnalyzer analyzer;
        QSignalSpy failed(&analyzer, &TrackAnalyzer::failed);
        analyzer.start(dir.filePath(file), track);
        if (failed.isEmpty())
            QVERIFY(failed.wait(5000));
        QVERIFY(!failed.first().at(0).toString().isEmpty());
        QVERIFY(!analyzer.analysis());
    }

    // A stopped analysis never reports afterwards.
    void stopsWhenDestroyed()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("long.wav"));
        QVERIFY(GeneratedMusic::writeWav(GeneratedMusic::tones(60, 2), path));
        auto analyzer = std::make_unique<TrackAnalyzer>();
        QSignalSpy finished(analyzer.get(), &TrackAnalyzer::finished);
        analyzer->start(path, 1);
        analyzer->stop();
        QVERIFY(!analyzer->running());
        QTest::qWait(50);
        QCOMPARE(finished.size(), 0);
    }

    // Onsets 1000 samples apart from sample 1000: frames 1.7, 3.4, 5.1, ...
    void snapsToTheNearestOnsetInBounds_data()
    {
        QTest::addColumn<int>("frame");
        QTest::addColumn<int>("windowMs");
        QTest::addColumn<int>("earliest");
        QTest::addColumn<int>("latest");
        QTest::addColumn<int>("expected"); // -1: none
        QTest::newRow("nearest") << 4 << 80 << 0 << 100 << 3;
        QTest::newRow("none in the window") << 40 << 10 << 0 << 100 << -1;
        QTest::newRow("nearest is before the earliest") << 4 << 80 << 4 << 100 << 5;
        QTest::newRow("nearest is after the latest") << 5 << 80 << 0 << 4 << 3;
        QTest::newRow("no onset between the bounds") << 4 << 80 << 4 << 4 << -1;
    }
    void snapsToTheNearestOnsetInBounds()
    {
        QFETCH(int, frame);
        QFETCH(int, windowMs);
        QFETCH(int, earliest);
        QFETCH(int, latest);
        QFETCH(int, expected);
        std::vector<qint64> onsets;
        for (qint64 at = 1000; at < 100000; at += 1000)
            onsets.push_back(at);
        const std::optional<int> snapped = OnsetSnap::nearest(onsets, frame, windowMs, earliest, latest);
        QCOMPARE(snapped.value_or(-1), expected);
    }
};

QTEST_GUILESS_MAIN(TrackAnalyzerTest)
#include "tst_TrackAnalyzer.moc"
