#include "TestClasses.h"
#include "platform/cdaudio/PcmRing.h"

#include <QRandomGenerator>
#include <QTest>
#include <thread>

// The queue between the reader thread and the sink: every byte comes out once,
// in order, whole samples only, however the writes and reads cut across the
// end of the buffer.
class tst_PcmRing : public QObject {
    Q_OBJECT

    // Byte i of a stream: never repeats within 251 bytes, so a head or a tail
    // off by a sample shows.
    static char streamByte(qint64 i) { return char((i * 7 + i / 251) % 251); }

    static QByteArray streamBytes(qint64 from, qint64 size)
    {
        QByteArray bytes(size, Qt::Uninitialized);
        for (qint64 i = 0; i < size; ++i)
            bytes[i] = streamByte(from + i);
        return bytes;
    }

private Q_SLOTS:
    void bytesComeOutInOrderAcrossTheEnd_data()
    {
        QTest::addColumn<int>("capacity");
        QTest::addColumn<QList<int>>("steps"); // > 0 writes that many bytes, < 0 reads up to that many

        QTest::newRow("fill, empty, fill again") << 16 << QList<int>{16, -16, 16, -16};
        QTest::newRow("a write that wraps") << 16 << QList<int>{12, -8, 12, -16};
        QTest::newRow("a read that wraps") << 16 << QList<int>{12, -8, 8, -12};
        QTest::newRow("a read that ends exactly at the end") << 16 << QList<int>{16, -16, 4, -4};
        QTest::newRow("reads of one sample going round")
            << 12 << QList<int>{8, -4, 8, -4, -4, 4, -4, -4, 8, -8};
        QTest::newRow("a capacity that is not whole samples") << 18 << QList<int>{16, -12, 12, -16};
        QTest::newRow("a read asking for more than there is") << 16 << QList<int>{8, -40, 12, -40};
        QTest::newRow("reads of part of a sample wait for the whole") << 16 << QList<int>{8, -3, -5, -8};
        QTest::newRow("many rounds of odd sizes")
            << 20 << QList<int>{16, -12, 12, -8, 12, -20, 20, -20, 8, -4, 12, -16};
    }

    void bytesComeOutInOrderAcrossTheEnd()
    {
        QFETCH(int, capacity);
        QFETCH(QList<int>, steps);

        PcmRing ring(capacity);
        qint64 written = 0, read = 0;
        for (int step : steps) {
            if (step > 0) {
                QVERIFY(ring.write(streamBytes(written, step).constData(), step));
                written += step;
            }
            else {
                QByteArray out(-step, '\0');
                const qsizetype n = ring.read(out.data(), -step);
                QCOMPARE(n % 4, 0);
                QCOMPARE(n, std::min<qint64>(-step, written - read) / 4 * 4);
                QCOMPARE(out.left(n), streamBytes(read, n));
                read += n;
            }
            QCOMPARE(ring.available(), written - read);
        }
    }

    void discardDropsWholeSamplesAsIfRead()
    {
        PcmRing ring(16);
        QVERIFY(ring.write(streamBytes(0, 12).constData(), 12));
        QCOMPARE(ring.discard(6), 4);
        QVERIFY(ring.write(streamBytes(12, 8).constData(), 8));
        QByteArray out(16, '\0');
        QCOMPARE(ring.read(out.data(), 16), 16);
        QCOMPARE(out, streamBytes(4, 16));
    }

    void theEndOfTheStream_data()
    {
        QTest::addColumn<int>("queued");
        QTest::addColumn<bool>("finish");
        QTest::addColumn<int>("readBack");
        QTest::addColumn<bool>("drained");

        QTest::newRow("finished and read out") << 8 << true << 8 << true;
        QTest::newRow("finished with a sample left") << 8 << true << 4 << false;
        QTest::newRow("read out but not finished") << 8 << false << 8 << false;
        QTest::newRow("finished with nothing queued") << 0 << true << 0 << true;
    }

    void theEndOfTheStream()
    {
        QFETCH(int, queued);
        QFETCH(bool, finish);
        QFETCH(int, readBack);
        QFETCH(bool, drained);

        PcmRing ring(16);
        QVERIFY(ring.write(streamBytes(0, queued).constData(), queued));
        if (finish)
            ring.finish();
        QByteArray out(16, '\0');
        QCOMPARE(ring.read(out.data(), readBack), readBack);
        QCOMPARE(ring.drained(), drained);
        QCOMPARE(ring.finished(), finish);
    }

    void cancelFreesABlockedWriterAndResetStartsAfresh()
    {
        PcmRing ring(16);
        bool result = true;
        std::thread writer([&] { result = ring.write(streamBytes(0, 64).constData(), 64); });
        ring.waitFor(16, 2000);
        QCOMPARE(ring.available(), 16);
        ring.cancel();
        writer.join();
        QVERIFY(!result);
        QCOMPARE(ring.available(), 0);
        QVERIFY(!ring.write("abcd", 4)); // stays cancelled until reset

        ring.reset();
        QVERIFY(ring.write(streamBytes(100, 12).constData(), 12));
        QByteArray out(12, '\0');
        QCOMPARE(ring.read(out.data(), 12), 12);
        QCOMPARE(out, streamBytes(100, 12));
        QVERIFY(!ring.finished());
    }

    void waitForReturnsOnDataOnTheEndOrAfterTheTimeout()
    {
        PcmRing ring(16);
        QElapsedTimer waited;
        waited.start();
        ring.waitFor(8, 50);
        QVERIFY(waited.elapsed() >= 40);
        QVERIFY(ring.write("abcdefgh", 8));
        waited.restart();
        ring.waitFor(8, 5000);
        QVERIFY(ring.write("abcdefgh", 8));
        ring.waitFor(64, 5000); // more than fits: a full ring is enough
        QVERIFY(waited.elapsed() < 4000);
        ring.finish();
        waited.restart();
        ring.waitFor(64, 5000);
        QVERIFY(waited.elapsed() < 4000);
    }

    // A reader thread and a sink thread at their own paces: a megabyte comes
    // through unchanged.
    void aStreamSurvivesTwoThreadsAtRandomSizes_data()
    {
        QTest::addColumn<int>("capacity");
        QTest::newRow("a small ring") << 52;
        QTest::newRow("a ring of about a CD frame") << 2352;
    }

    void aStreamSurvivesTwoThreadsAtRandomSizes()
    {
        QFETCH(int, capacity);
        constexpr qint64 Total = 1 << 20;
        PcmRing ring(capacity);
        std::thread writer([&ring] {
            QRandomGenerator random(7);
            for (qint64 at = 0; at < Total;) {
                const qint64 n = std::min<qint64>(Total - at, 4 * random.bounded(1, 700));
                ring.write(streamBytes(at, n).constData(), n);
                at += n;
            }
            ring.finish();
        });
        QRandomGenerator random(11);
        QByteArray out;
        QByteArray chunk(4096, '\0');
        while (!ring.drained()) {
            const qsizetype n = ring.read(chunk.data(), random.bounded(1, 4096));
            out.append(chunk.constData(), n);
            if (n == 0)
                ring.waitFor(4, 10);
        }
        writer.join();
        QCOMPARE(out.size(), Total);
        QVERIFY(out == streamBytes(0, Total));
    }
};

ONDEL_TEST_CLASS(tst_PcmRing)
#include "tst_PcmRing.moc"
