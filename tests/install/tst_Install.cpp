#include "PrivateSessionBus.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

namespace {
const QString AppId = QStringLiteral("org.ondelplayer.OndelPlayer");
const QStringList IconSizes = {"16", "22", "24", "32", "48", "64", "128", "256"};

struct Run {
    int status = -1;
    QString out;
    QString err;
};

Run run(const QString& program, const QStringList& arguments, const QProcessEnvironment& env = {},
        int timeoutMs = 60000)
{
    QProcess process;
    if (!env.isEmpty())
        process.setProcessEnvironment(env);
    process.start(program, arguments);
    Run result;
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        result.err = QStringLiteral("did not end: ") + process.errorString();
        return result;
    }
    result.status = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

QString simplified(QString text)
{
    return text.simplified();
}

// The words of a manual page without its formatting.
QString manPageWords(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList words;
    for (QString line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1Char('.'))) {
            // ".B word" and ".BR word (1)" carry text; other requests do not.
            const QString request = line.section(QLatin1Char(' '), 0, 0);
            if (request != QLatin1String(".B") && request != QLatin1String(".BR") &&
                request != QLatin1String(".I"))
                continue;
            line = line.section(QLatin1Char(' '), 1);
        }
        line.remove(QRegularExpression(QStringLiteral("\\\\f[BIRP]")));
        line.replace(QStringLiteral("\\-"), QStringLiteral("-"))
            .replace(QStringLiteral("\\e"), QStringLiteral("\\"));
        words << line;
    }
    return simplified(words.join(QLatin1Char(' ')));
}

// The entries of a --help text: an indented name line ("  --disc SOURCE",
// "  ondel-dwd dump FILE") and its description, indented further.
QList<QPair<QString, QString>> helpEntries(const QString& help)
{
    QList<QPair<QString, QString>> entries;
    for (const QString& line : help.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("      ")) && !entries.isEmpty())
            entries.last().second += QLatin1Char(' ') + line.trimmed();
        else if (line.startsWith(QLatin1String("  ")) && !line.startsWith(QLatin1String("   ")))
            entries.append({line.trimmed(), QString()});
    }
    for (auto& entry : entries)
        entry.second = simplified(entry.second);
    return entries;
}

QString desktopValue(const QString& path, const QString& key)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (line.startsWith(key + QLatin1Char('=')))
            return line.mid(key.size() + 1);
    }
    return {};
}
} // namespace

// Installs the build into a fresh prefix, as a packager or `scripts/install`
// would, and looks at the result as the desktop does.
class tst_Install : public QObject {
    Q_OBJECT

private:
    QTemporaryDir prefix_;
    QString share_;

    QString installed(const QString& relative) const { return prefix_.filePath(relative); }

    QProcessEnvironment noDisplay() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DBUS_SESSION_BUS_ADDRESS"})
            env.remove(QLatin1String(name));
        return env;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(prefix_.isValid());
        const Run install =
            run(QStringLiteral("cmake"), {QStringLiteral("--install"), QStringLiteral(ONDEL_TEST_BINARY_DIR),
                                          QStringLiteral("--prefix"), prefix_.path()});
        QVERIFY2(install.status == 0, qPrintable(install.out + install.err));
        share_ = installed(QStringLiteral("share"));
    }

    void installedFiles_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("executable");
        QTest::newRow("player") << "bin/ondelplayer" << true;
        QTest::newRow("lyrics tool") << "bin/ondel-dwd" << true;
        QTest::newRow("launcher") << "share/applications/" + AppId + ".desktop" << false;
        QTest::newRow("AppStream") << "share/metainfo/" + AppId + ".metainfo.xml" << false;
        QTest::newRow("scalable icon") << "share/icons/hicolor/scalable/apps/" + AppId + ".svg" << false;
        for (const QString& size : IconSizes)
            QTest::newRow(qPrintable(size + " px icon"))
                << "share/icons/hicolor/" + size + "x" + size + "/apps/" + AppId + ".png" << false;
        QTest::newRow("player's manual") << "share/man/man1/ondelplayer.1" << false;
        QTest::newRow("tool's manual") << "share/man/man1/ondel-dwd.1" << false;
        for (const char* name : {"demo.cue", "demo.flac", "sakura.txt", "sakura.dwd"})
            QTest::newRow(name) << QStringLiteral("share/ondelplayer/demo/") + QLatin1String(name) << false;
    }

    void installedFiles()
    {
        QFETCH(QString, path);
        QFETCH(bool, executable);
        const QFileInfo info(installed(path));
        QVERIFY2(info.isFile() && info.size() > 0, qPrintable(path));
        QCOMPARE(info.isExecutable(), executable);
    }

    void validatorsAccept_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("desktop entry")
            << "desktop-file-validate" << QStringList{"share/applications/" + AppId + ".desktop"};
        QTest::newRow("AppStream metainfo")
            << "appstreamcli"
            << QStringList{"validate", "--no-net", "share/metainfo/" + AppId + ".metainfo.xml"};
    }

    void validatorsAccept()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        arguments.last() = installed(arguments.last());
        const Run check = run(program, arguments);
        QVERIFY2(check.status == 0, qPrintable(check.out + check.err));
        // Warnings fail too: a desktop reads past them, a software centre may not.
        const QString said = check.out + check.err;
        QVERIFY2(!said.contains(QLatin1String("warning"), Qt::CaseInsensitive), qPrintable(said));
    }

    void launcherEntry_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("command") << "Exec"
                                 << "ondelplayer --disc %f";
        QTest::newRow("icon") << "Icon" << AppId;
        QTest::newRow("categories") << "Categories"
                                    << "AudioVideo;Audio;Player;";
        QTest::newRow("cue sheets") << "MimeType"
                                    << "application/x-cue;";
        QTest::newRow("name") << "Name"
                              << "OndelPlayer";
        QTest::newRow("Japanese name") << "Name[ja]"
                                       << "オンデルプレーヤー";
        QTest::newRow("Japanese generic name") << "GenericName[ja]"
                                               << "カラオケCDプレーヤー";
    }

    void launcherEntry()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QCOMPARE(desktopValue(installed("share/applications/" + AppId + ".desktop"), key), value);
    }

    void iconsLoad_data()
    {
        QTest::addColumn<int>("size");
        for (const QString& size : IconSizes)
            QTest::newRow(qPrintable(size + " px")) << size.toInt();
    }

    void iconsLoad()
    {
        QFETCH(int, size);
        const QString name = QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(AppId);
        QImage image(installed(name));
        QCOMPARE(image.size(), QSize(size, size));
        // The disc's middle is drawn, the corners are see-through.
        QCOMPARE(qAlpha(image.pixel(size / 2, size * 4 / 10)), 255);
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    }

    void iconFoundThroughTheTheme()
    {
        QSvgRenderer svg(installed("share/icons/hicolor/scalable/apps/" + AppId + ".svg"));
        QVERIFY(svg.isValid());
        QCOMPARE(svg.defaultSize(), QSize(256, 256));
        // As a desktop looks it up: by name, in the hicolor theme of the data folders.
        const QStringList searchPaths = QIcon::themeSearchPaths();
        const QString theme = QIcon::themeName();
        QIcon::setThemeSearchPaths({share_ + QStringLiteral("/icons"), QStringLiteral("/usr/share/icons")});
        QIcon::setThemeName(QStringLiteral("hicolor"));
        const QIcon icon = QIcon::fromTheme(AppId);
        const bool found = !icon.isNull();
        const QImage drawn = icon.pixmap(48, 48).toImage();
        QIcon::setThemeSearchPaths(searchPaths);
        QIcon::setThemeName(theme);
        QVERIFY(found);
        QCOMPARE(drawn.size(), QSize(48, 48));
        QCOMPARE(qAlpha(drawn.pixel(24, 19)), 255);
    }

    void helpAndVersionNeedNoDisplay_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("firstLine");
        QTest::newRow("player help") << "ondelplayer"
                                     << "--help"
                                     << "Usage: ondelplayer [OPTION]...";
        QTest::newRow("player version") << "ondelplayer"
                                        << "--version"
                                        << "ondelplayer 0.1.0";
        QTest::newRow("player short version") << "ondelplayer"
                                              << "-v"
                                              << "ondelplayer 0.1.0";
        QTest::newRow("tool help") << "ondel-dwd"
                                   << "--help"
                                   << "Usage: ondel-dwd COMMAND ARGUMENTS";
        QTest::newRow("tool version") << "ondel-dwd"
                                      << "--version"
                                      << "ondel-dwd 0.1.0";
    }

    void helpAndVersionNeedNoDisplay()
    {
        QFETCH(QString, program);
        QFETCH(QString, option);
        QFETCH(QString, firstLine);
        const Run shown = run(installed("bin/" + program), {option}, noDisplay());
        QVERIFY2(shown.status == 0, qPrintable(shown.err));
        QCOMPARE(shown.out.section(QLatin1Char('\n'), 0, 0), firstLine);
        QCOMPARE(shown.err, QString());
    }

    void helpInTheManualsWords_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("manual");
        for (const QString& program : {QStringLiteral("ondelplayer"), QStringLiteral("ondel-dwd")}) {
            const Run help = run(installed("bin/" + program), {QStringLiteral("--help")}, noDisplay());
            const auto entries = helpEntries(help.out);
            QVERIFY2(entries.size() >= 4, qPrintable(help.out));
            for (const auto& [entry, description] : entries)
                QTest::newRow(qPrintable(program + ": " + entry))
                    << entry << description << installed("share/man/man1/" + program + ".1");
        }
    }

    void helpInTheManualsWords()
    {
        QFETCH(QString, entry);
        QFETCH(QString, description);
        QFETCH(QString, manual);
        const QString words = manPageWords(manual);
        QVERIFY(!description.isEmpty());
        QVERIFY2(words.contains(description), qPrintable(description));
        // The option or command itself is in the manual too.
        const QString name =
            entry.section(QLatin1Char(' '), entry.startsWith(QLatin1String("ondel-dwd")) ? 1 : 0, 0)
                .remove(QLatin1Char(','));
        QVERIFY2(words.contains(name), qPrintable(name));
    }

    // The launcher's command line, with no file, starts the installed player
    // on the installed demo disc; the session's media remote drives it; a
    // second start hands its disc over and leaves one player.
    void launcherStartsThePlayerOnTheInstalledDemoDisc()
    {
        struct stat drive {};
        if (::stat("/dev/cdrom", &drive) == 0 && S_ISBLK(drive.st_mode))
            QSKIP("a CD drive is the default disc on this machine");
        PrivateSessionBus bus;
        QVERIFY2(!bus.address().isEmpty(), "dbus-daemon did not start");
        QTemporaryDir home;
        QVERIFY(QDir(home.path()).mkpath(QStringLiteral("runtime")));
        QFile::setPermissions(home.filePath("runtime"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcessEnvironment env = noDisplay();
        env.insert("PATH", installed("bin") + ":" + env.value("PATH"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_CONFIG_HOME", home.filePath("config"));
        env.insert("XDG_RUNTIME_DIR", home.filePath("runtime"));
        env.insert("DBUS_SESSION_BUS_ADDRESS", bus.address());
        env.insert("PULSE_SERVER", "unix:" + home.filePath("no-sound-server"));
        const QString traceFile = home.filePath("trace.log");

        // Exec=ondelplayer --disc %f; a launcher with no file drops the %f.
        const QString exec = desktopValue(installed("share/applications/" + AppId + ".desktop"), "Exec");
        QStringList launch = QProcess::splitCommand(exec);
        launch.removeAll(QStringLiteral("%f"));
        QCOMPARE(launch.takeFirst(), QStringLiteral("ondelplayer"));

        QProcess player;
        player.setProcessEnvironment(env);
        player.setWorkingDirectory(home.path());
        // The program is looked up on the PATH, as a launcher does.
        player.start(QStandardPaths::findExecutable("ondelplayer", {installed("bin")}),
                     QStringList{"--trace", traceFile} + launch);
        QVERIFY(player.waitForStarted());
        const auto cleanup = qScopeGuard([&] {
            if (player.state() != QProcess::NotRunning) {
                player.kill();
                player.waitForFinished();
            }
        });
        const auto trace = [&] {
            QFile file(traceFile);
            return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
        };
        const auto dbusSend = [&](const QString& method) {
            return run("dbus-send",
                       {"--session", "--print-reply", "--dest=org.mpris.MediaPlayer2.ondelplayer",
                        "/org/mpris/MediaPlayer2", method},
                       env, 10000);
        };
        const auto playbackStatus = [&] {
            const Run got = run("dbus-send",
                                {"--session", "--print-reply", "--dest=org.mpris.MediaPlayer2.ondelplayer",
                                 "/org/mpris/MediaPlayer2", "org.freedesktop.DBus.Properties.Get",
                                 "string:org.mpris.MediaPlayer2.Player", "string:PlaybackStatus"},
                                env, 10000);
            return got.out.section(QLatin1Char('"'), 1, 1);
        };

        // The demo disc of three tracks, found beside nothing but the installed program.
        QTRY_VERIFY_WITH_TIMEOUT(trace().contains("\tcmd\tstatus cdaudio number of tracks wait\t0\t3\n"),
                                 20000);
        QVERIFY2(trace().contains("\tcmd\topen cdaudio\t0\t1\n"), qPrintable(trace()));
        QFile settings(home.filePath("config/OndelPlayer/OndelPlayer.conf"));
        QTRY_VERIFY(settings.exists());
        QVERIFY(settings.open(QIODevice::ReadOnly));
        QVERIFY2(
            QString::fromUtf8(settings.readAll()).contains(installed("share/ondelplayer/demo/sakura.dwd")),
            "the demo lyrics are not related to the installed demo disc");

        // Media keys on the session bus.
        // (QTRY evaluates its condition once more at the end: only calls that
        // change nothing go into it.)
        QTRY_VERIFY_WITH_TIMEOUT(!playbackStatus().isEmpty(), 10000);
        QCOMPARE(dbusSend("org.mpris.MediaPlayer2.Player.PlayPause").status, 0);
        QTRY_VERIFY(trace().contains("\tcmd\tplay cdaudio from 1\t0\t"));
        QTRY_VERIFY2(playbackStatus() == QLatin1String("Playing"), qPrintable(trace()));
        QCOMPARE(dbusSend("org.mpris.MediaPlayer2.Player.Next").status, 0);
        QTRY_VERIFY(trace().contains("\tcmd\tplay cdaudio from 2\t0\t"));
        QCOMPARE(dbusSend("org.mpris.MediaPlayer2.Player.Stop").status, 0);
        QTRY_VERIFY(trace().contains("\tcmd\tstop cdaudio\t0\t"));
        QTRY_VERIFY2(playbackStatus() == QLatin1String("Stopped"), qPrintable(trace()));

        // Started again from the launcher with another disc: the running
        // player takes it and the second start ends at once.
        const Run again =
            run(installed("bin/ondelplayer"), {"--disc", "sim:tracks=5,id=second-start"}, env, 20000);
        QCOMPARE(again.status, 0);
        QCOMPARE(again.err, QString());
        QTRY_VERIFY(trace().contains("\tcmd\tstatus cdaudio number of tracks wait\t0\t5\n"));
        QVERIFY(!trace().contains("\tbox\t"));
        const auto metadata = [&] {
            return run("dbus-send",
                       {"--session", "--print-reply", "--dest=org.mpris.MediaPlayer2.ondelplayer",
                        "/org/mpris/MediaPlayer2", "org.freedesktop.DBus.Properties.Get",
                        "string:org.mpris.MediaPlayer2.Player", "string:Metadata"},
                       env, 10000)
                .out;
        };
        QTRY_VERIFY2(metadata().contains(QLatin1String("\"second-start\"")), qPrintable(metadata()));
        QCOMPARE(player.state(), QProcess::Running);

        QCOMPARE(dbusSend("org.mpris.MediaPlayer2.Quit").status, 0);
        QVERIFY(player.waitForFinished(10000));
        QCOMPARE(player.exitCode(), 0);
        QVERIFY(trace().endsWith("\tcmd\tclose cdaudio\t0\t\n"));
    }
};

QTEST_MAIN(tst_Install)
#include "tst_Install.moc"
