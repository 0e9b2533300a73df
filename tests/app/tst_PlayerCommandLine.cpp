#include "app/PlayerCommandLine.h"

#include <QTest>

using Action = PlayerOptions::Action;
Q_DECLARE_METATYPE(Action)

class tst_PlayerCommandLine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Action>("action");
        QTest::addColumn<QString>("disc");
        QTest::addColumn<QString>("trace"); // "(none)" when not given
        const QString none = QStringLiteral("(none)");
        QTest::newRow("nothing: the default disc") << QStringList{} << Action::Run << "" << none;
        QTest::newRow("a cue sheet") << QStringList{"--disc", "/discs/a b.cue"} << Action::Run
                                     << "/discs/a b.cue" << none;
        QTest::newRow("joined with =") << QStringList{"--disc=sim:tracks=3,length=0:30"} << Action::Run
                                       << "sim:tracks=3,length=0:30" << none;
        QTest::newRow("launcher with no file") << QStringList{"--disc"} << Action::Run << "" << none;
        QTest::newRow("launcher with no file after a trace")
            << QStringList{"--trace", "-", "--disc"} << Action::Run << ""
            << "-";
        QTest::newRow("trace to a file")
            << QStringList{"--disc", "/dev/sr0", "--trace", "/tmp/t.log"} << Action::Run << "/dev/sr0"
            << "/tmp/t.log";
        QTest::newRow("help") << QStringList{"--help"} << Action::Help << "" << none;
        QTest::newRow("short help") << QStringList{"-h"} << Action::Help << "" << none;
        QTest::newRow("help among other options")
            << QStringList{"--disc", "sim:", "--help"} << Action::Help << "" << none;
        QTest::newRow("version") << QStringList{"--version"} << Action::Version << "" << none;
        QTest::newRow("short version") << QStringList{"-v"} << Action::Version << "" << none;
        QTest::newRow("unknown option") << QStringList{"--disk", "x.cue"} << Action::Error << "" << none;
        QTest::newRow("a disc without --disc") << QStringList{"album.cue"} << Action::Error << "" << none;
        QTest::newRow("two discs") << QStringList{"--disc", "a.cue", "--disc", "b.cue"} << Action::Error << ""
                                   << none;
        QTest::newRow("trace without a file") << QStringList{"--trace"} << Action::Error << "" << none;
        QTest::newRow("trace with an empty name") << QStringList{"--trace="} << Action::Error << "" << none;
    }

    void parse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(Action, action);
        QFETCH(QString, disc);
        QFETCH(QString, trace);
        const PlayerOptions options = PlayerCommandLine::parse(QStringList{"ondelplayer"} + arguments);
        QCOMPARE(options.action, action);
        QCOMPARE(options.error.isEmpty(), action != Action::Error);
        if (action != Action::Run)
            return;
        QCOMPARE(options.disc, disc);
        QCOMPARE(options.traceGiven, trace != QLatin1String("(none)"));
        if (options.traceGiven)
            QCOMPARE(options.trace, trace);
    }

    void versionNamesEveryLibrary_data()
    {
        QTest::addColumn<QString>("library");
        for (const char* name :
             {"ondelplayer", "Qt", "libcue", "libsndfile", "libcdio", "libdiscid", "SoundTouch"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void versionNamesEveryLibrary()
    {
        QFETCH(QString, library);
        // One line each, a name and a version number that starts with a digit.
        const QStringList lines =
            PlayerCommandLine::versionText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        const auto line = std::find_if(lines.cbegin(), lines.cend(),
                                       [&](const QString& l) { return l.section(' ', 0, 0) == library; });
        QVERIFY2(line != lines.cend(), qPrintable(PlayerCommandLine::versionText()));
        QVERIFY2(line->section(' ', 1, 1).front().isDigit(), qPrintable(*line));
    }
};

QTEST_GUILESS_MAIN(tst_PlayerCommandLine)
#include "tst_PlayerCommandLine.moc"
