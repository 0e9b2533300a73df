#include "app/SingleInstance.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <optional>
#include <thread>

namespace {
// A later start runs in another process; here it runs on a thread of its
// own, blocking as the real one does, while the test's loop serves it.
struct LaterStart {
    bool handedOver = false;
    std::optional<QString> refusal;
};

LaterStart startAgain(const QString& socketPath, const QString& source)
{
    std::atomic<bool> done{false};
    LaterStart later;
    std::thread thread([&] {
        SingleInstance second(socketPath);
        later.handedOver = second.handOverOrListen(source);
        later.refusal = second.refusal();
        done = true;
    });
    QDeadlineTimer deadline(10000);
    while (!done && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    thread.join();
    return later;
}

// Someone on the player's socket who sends bytes of its own making.
bool sendRaw(QLocalSocket& caller, const QString& socketPath, const QByteArray& bytes)
{
    caller.connectToServer(socketPath);
    if (!caller.waitForConnected(3000))
        return false;
    caller.write(bytes);
    return caller.flush() || bytes.isEmpty();
}
} // namespace

class tst_SingleInstance : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aSecondStartHandsItsDiscToTheFirst_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("received");
        const QString here = QDir::currentPath();
        QTest::newRow("no disc") << ""
                                 << "";
        QTest::newRow("simulated disc") << "sim:tracks=3,length=0:30"
                                        << "sim:tracks=3,length=0:30";
        QTest::newRow("absolute cue sheet") << "/discs/album.cue"
                                            << "/discs/album.cue";
        QTest::newRow("relative cue sheet") << "discs/album.cue" << here + "/discs/album.cue";
        QTest::newRow("Japanese name with a tab") << "/discs/さくら\tさくら.cue"
                                                  << "/discs/さくら\tさくら.cue";
    }

    void aSecondStartHandsItsDiscToTheFirst()
    {
        QFETCH(QString, source);
        QFETCH(QString, received);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("instance"));
        SingleInstance first(path);
        QVERIFY(!first.handOverOrListen(QString()));
        QVERIFY(first.listening());
        QSignalSpy requests(&first, &SingleInstance::requested);
        QVERIFY(startAgain(path, source).handedOver);
        QCOMPARE(requests.count(), 1);
        QCOMPARE(requests.at(0).at(0).toString(), received);
    }

    void aLeftoverSocketFileIsTakenOver()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("instance"));
        // What a player that crashed leaves behind: a file nobody answers on.
        QFile leftover(path);
        QVERIFY(leftover.open(QIODevice::WriteOnly));
        leftover.close();
        SingleInstance player(path);
        QVERIFY(!player.handOverOrListen(QStringLiteral("sim:")));
        QVERIFY(player.listening());
        QSignalSpy requests(&player, &SingleInstance::requested);
        QVERIFY(startAgain(path, QString()).handedOver);
        QCOMPARE(requests.count(), 1);
    }

    void whenThePlayerEndsTheNextStartTakesOver()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("instance"));
        {
            SingleInstance first(path);
            QVERIFY(!first.handOverOrListen(QString()));
        }
        QVERIFY(!startAgain(path, QString()).handedOver);
    }

    // The running player judges the disc before it takes it: a later start
    // that asked for one it cannot play hears why, on one line.
    void aDiscThePlayerCannotPlayIsRefusedWithItsReason()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("instance"));
        SingleInstance first(path);
        QVERIFY(!first.handOverOrListen(QString()));
        first.checkSource = [](const QString&) {
            return std::optional<QString>(QStringLiteral("no disc\nhere"));
        };
        QSignalSpy refused(&first, &SingleInstance::refused);
        QSignalSpy requests(&first, &SingleInstance::requested);
        const LaterStart later = startAgain(path, QStringLiteral("/discs/gone.cue"));
        QVERIFY(later.handedOver);
        QCOMPARE(later.refusal, std::optional<QString>(QStringLiteral("no disc here")));
        QCOMPARE(refused.count(), 1);
        QCOMPARE(refused.at(0).at(0).toString(), QStringLiteral("/discs/gone.cue"));
        QCOMPARE(requests.count(), 0);
    }

    // A caller that is slow to say its line, or says nothing, keeps no one
    // else waiting: the player reads what has come and serves the others.
    void slowAndSilentCallers_data()
    {
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<QByteArray>("rest");
        QTest::newRow("a line in two pieces") << QByteArray("rai") << QByteArray("se\n");
        QTest::newRow("a caller who says nothing") << QByteArray() << QByteArray();
    }

    void slowAndSilentCallers()
    {
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, rest);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("instance"));
        SingleInstance player(path);
        QVERIFY(!player.handOverOrListen(QString()));
        QSignalSpy requests(&player, &SingleInstance::requested);
        QLocalSocket caller;
        QVERIFY(sendRaw(caller, path, first));
        QTest::qWait(100);
        // Meanwhile a later start comes and is served.
        QVERIFY(startAgain(path, QString()).handedOver);
        QCOMPARE(requests.count(), 1);
        if (!rest.isEmpty()) {
            caller.write(rest);
            caller.flush();
            QTRY_COMPARE_WITH_TIMEOUT(requests.count(), 2, 5000);
            QByteArray answer;
            QTRY_COMPARE_WITH_TIMEOUT(answer += caller.readAll(), QByteArray("ok\n"), 5000);
        }
    }

    // Nobody else on the machine may hand this user's player a disc; a place
    // too long for a socket leaves the player running on its own.
    void whereThePlayerListens_data()
    {
        QTest::addColumn<int>("nameLength");
        QTest::addColumn<bool>("listens");
        QTest::newRow("a usual place") << 8 << true;
        QTest::newRow("a place too long for a socket") << 200 << false;
    }

    void whereThePlayerListens()
    {
        QFETCH(int, nameLength);
        QFETCH(bool, listens);
        QTemporaryDir dir;
        const QString path = dir.filePath(QString(nameLength, QLatin1Char('i')));
        SingleInstance player(path);
        QVERIFY(!player.handOverOrListen(QString()));
        QCOMPARE(player.listening(), listens);
        QCOMPARE(QFileInfo::exists(path), listens);
        if (listens)
            QCOMPARE(QFileInfo(path).permissions() &
                         (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
                     QFile::Permissions());
        player.stopListening();
        QVERIFY(!QFileInfo::exists(path));
    }

    void somethingElseOnTheSocketIsNoRequest_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("another word") << QByteArray("quit\n");
        QTest::newRow("raise without a tab") << QByteArray("raise/dev/sr0\n");
        QTest::newRow("endless line") << QByteArray(70000, 'r');
    }

    void somethingElseOnTheSocketIsNoRequest()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("instance"));
        SingleInstance player(path);
        QVERIFY(!player.handOverOrListen(QString()));
        QSignalSpy requests(&player, &SingleInstance::requested);
        QLocalSocket stranger;
        QVERIFY(sendRaw(stranger, path, bytes));
        QTRY_COMPARE_WITH_TIMEOUT(stranger.state(), QLocalSocket::UnconnectedState, 5000);
        QCOMPARE(stranger.readAll(), QByteArray());
        QCOMPARE(requests.count(), 0);
    }
};

QTEST_GUILESS_MAIN(tst_SingleInstance)
#include "tst_SingleInstance.moc"
