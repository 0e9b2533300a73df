#include "MainWindowFixture.h"
#include "MainWindowRigs.h"
#include "RecordingDevice.h"
#include "SampleDwd.h"
#include "ScriptedFileDialogs.h"
#include "ScriptedMessageBoxes.h"
#include "TempSettingsHome.h"
#include "UniqueDisc.h"
#include "app/PlayerWindow.h"
#include "compile/ui/CompileWindow.h"
#include "controls/DigitalDisplay.h"
#include "controls/PictureButton.h"
#include "core/SettingsKeys.h"
#include "editor/ui/ScriptEditorWindow.h"
#include "lyrics/ui/LyricsWindow.h"
#include "platform/Clock.h"
#include "platform/MemorySettingsStore.h"
#include "platform/MessageBoxes.h"
#include "platform/QSettingsStore.h"
#include "platform/SettingsStore.h"
#include "platform/cdaudio/DeviceSession.h"
#include "platform/cdaudio/SimulatedDisc.h"
#include "platform/widgets/QtMessageBoxes.h"
#include "player/Association.h"
#include "window/PlayerObjectNames.h"
#include "window/PlayerPopupMenu.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>

using namespace PlayerObjectNames;

namespace {
const QString MissingFile = QStringLiteral("/nonexistent/ondel/missing.dwd");
} // namespace

class tst_PlayerWindowPlayback : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void busyDriveNeverShowsTheWindow()
    {
        Window rig(QStringLiteral("state=busy"));
        PlayerWindow& player = rig.player;
        QVERIFY(player.refused());
        QVERIFY(!player.isVisible());
        QCOMPARE(rig.boxes.shown.size(), 1);
        QCOMPARE(rig.device.sent, QByteArrayList{"open cdaudio"});
        QVERIFY(!player.findChild<QTimer*>(Main::TickTimer)->isActive());
        // The posted quit ends the event loop at once.
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QSignalSpy timedOut(&watchdog, &QTimer::timeout);
        watchdog.start(5000);
        QCOMPARE(QCoreApplication::exec(), 0);
        QCOMPARE(timedOut.count(), 0);
    }

    void runningPlayerStartsTheMonitorOnTheDiscsTrack()
    {
        Window rig(QStringLiteral("tracks=9,track=5"));
        PlayerWindow& player = rig.player;
        QVERIFY(!player.refused());
        QCOMPARE(player.state().currentTrack, 5);
        QCOMPARE(player.state().trackCount, 9);
        auto* timer = player.findChild<QTimer*>(Main::TickTimer);
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 50);
    }

    void closingStopsThenClosesTheDevice_data()
    {
        QTest::addColumn<bool>("byPowerButton");
        QTest::newRow("window closed") << false;
        QTest::newRow("power button") << true;
    }

    void closingStopsThenClosesTheDevice()
    {
        QFETCH(bool, byPowerButton);
        Window rig(QStringLiteral("tracks=3"));
        PlayerWindow& player = rig.player;
        player.show();
        QVERIFY(QTest::qWaitForWindowExposed(&player));
        if (byPowerButton)
            player.findChild<QAbstractButton*>(Main::PowerButton)->click();
        else
            player.close();
        QVERIFY(!player.isVisible());
        QCOMPARE(rig.device.sent.mid(rig.device.sent.size() - 2),
                 (QByteArrayList{"stop cdaudio", "close cdaudio"}));
        QVERIFY(!rig.session.isOpen());
    }

    // One-track repeat of a track whose lyrics file is missing: the replay at
    // the track's end comes from a tick and shows a box. While that box is
    // open the monitor must go on: the digits move and the track repeats
    // (each repeat opening its own box inside the first).
    void ticksRunInsideABoxOpenedByATick()
    {
        Live<QtMessageBoxes> p(QStringLiteral("tracks=3,length=0:02,speed=4"));
        p.relate(1, MissingFile);
        p.showActive();
        QTest::mouseClick(p.button(Main::ModeButton), Qt::LeftButton); // one-track repeat
        // Lyrics off for the user's own play, on again for the repeats.
        QTest::mouseClick(p.button(Main::LyricsButton), Qt::LeftButton);
        QTest::mouseClick(p.button(Main::PlayButton), Qt::LeftButton);
        QTest::mouseClick(p.button(Main::LyricsButton), Qt::LeftButton);

        QByteArray digitsAtOpen;
        QSet<QByteArray> digitsSeen;
        qsizetype commandsAtOpen = 0;
        QElapsedTimer open;
        bool closing = false;
        Repeatedly watch([&] {
            QMessageBox* box = openBox();
            if (!box)
                return closing;
            if (!open.isValid()) {
                open.start();
                digitsAtOpen = p.digits();
                commandsAtOpen = p.device.sent.size();
            }
            if (!closing) {
                digitsSeen.insert(p.digits());
                if (open.elapsed() < 1500)
                    return false;
                // No more boxes: then answer every open one.
                closing = true;
                QTest::mouseClick(p.button(Main::LyricsButton), Qt::LeftButton);
            }
            box->done(QMessageBox::Cancel);
            return false;
        });
        QTRY_VERIFY_WITH_TIMEOUT(closing && !openBox(), 20000);

        // The box opened at the tick that saw the disc run into track 2.
        QCOMPARE(digitsAtOpen, QByteArray("020000"));
        QVERIFY2(std::any_of(digitsSeen.cbegin(), digitsSeen.cend(),
                             [](const QByteArray& d) { return d.startsWith("01") && d != "010000"; }),
                 "the digits stood still while the box was open");
        const QList<int> plays = p.plays(commandsAtOpen);
        QVERIFY2(!plays.isEmpty(), "the track was not repeated while the box was open");
        QCOMPARE(plays, QList<int>(plays.size(), 1));
        QCOMPARE(int(p.player.state().playMode), 1);
    }

    void lengthsViewEndsWithThePress_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("the release lands on a box") << "box";
        QTest::newRow("the popup menu takes the pointer") << "menu";
        QTest::newRow("the window loses the focus") << "focus";
    }

    // Holding the left button on the panel shows the lengths; however the
    // press ends, the digits go back to the track and time.
    void lengthsViewEndsWithThePress()
    {
        QFETCH(QString, how);
        Live<QtMessageBoxes> p(QStringLiteral("tracks=3,length=0:02"));
        p.showActive();
        auto* panel = p.child(Main::DisplayPanel);
        QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(100, 20));
        QVERIFY(p.player.state().showLengths);
        QTRY_COMPARE(p.digits(), QByteArray("3\0"
                                            "0006",
                                            6));

        if (how == QLatin1String("box")) {
            Repeatedly answer([&] {
                QMessageBox* box = openBox();
                if (!box)
                    return false;
                QTest::mouseRelease(box, Qt::LeftButton);
                box->done(QMessageBox::Ok);
                return true;
            });
            p.player.showVersion();
            QVERIFY(answer.done());
        }
        else if (how == QLatin1String("menu")) {
            Repeatedly close([&] {
                auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                if (!menu)
                    return false;
                QTest::mouseRelease(menu, Qt::LeftButton, {}, QPoint(-5, -5));
                menu->close();
                return true;
            });
            QMouseEvent right(QEvent::MouseButtonPress, QPointF(100, 20),
                              panel->mapToGlobal(QPointF(100, 20)), Qt::RightButton,
                              Qt::LeftButton | Qt::RightButton, Qt::NoModifier);
            QApplication::sendEvent(panel, &right);
            QVERIFY(close.done());
        }
        else {
            QWidget other;
            other.show();
            other.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&other));
        }
        QVERIFY(!p.player.state().showLengths);
        QTRY_COMPARE(p.digits(), QByteArray("010000"));
    }

    void playWithoutADisc()
    {
        Live<ScriptedMessageBoxes> p(QStringLiteral("state=empty"));
        p.showActive();
        QTest::mouseClick(p.button(Main::PlayButton), Qt::LeftButton);
        QCOMPARE(p.boxes.shown.size(), 1);
        QCOMPARE(p.boxes.shown[0].caption, QStringLiteral("Information"));
        QCOMPARE(p.boxes.shown[0].text, PlayerWindow::noDiscMessage());
        QTest::qWait(200);
        QVERIFY(p.button(Main::PlayButton)->isEnabled());
        QVERIFY(p.player.popupMenu()->item(Menu::Play)->isEnabled());
    }

    void ejectFromATrayOpenAtStart()
    {
        Live<ScriptedMessageBoxes> p(QStringLiteral("tracks=3,state=open"));
        p.showActive();
        QTest::mouseClick(p.button(Main::EjectButton), Qt::LeftButton);
        ReplyBuffer mode;
        p.session.sendCommand("status cdaudio mode wait", mode);
        QCOMPARE(mode.toByteArray(), QByteArray("stopped"));
    }

    void rewAtWholeMinutes_data()
    {
        QTest::addColumn<int>("atMs");
        QTest::addColumn<int>("plays");
        QTest::newRow("0:00.50 goes back a track") << 667 << 1;
        QTest::newRow("1:00.10 restarts the track") << 60133 << 2;
        QTest::newRow("2:00.00 restarts the track") << 120000 << 2;
    }

    // Rew compares minutes and seconds with the first second of the track.
    void rewAtWholeMinutes()
    {
        QFETCH(int, atMs);
        QFETCH(int, plays);
        Live<ScriptedMessageBoxes, ManualClock> p(QStringLiteral("tracks=3,length=3:00"));
        p.showActive();
        QTest::mouseClick(p.button(Main::FastForwardButton), Qt::LeftButton);
        QTest::mouseClick(p.button(Main::PlayButton), Qt::LeftButton);
        p.clock.advance(atMs);
        const qsizetype before = p.device.sent.size();
        QTest::mouseClick(p.button(Main::RewindButton), Qt::LeftButton);
        QCOMPARE(p.plays(before), QList<int>{plays});
    }

    void boxesCentredOnTheirWindow_data()
    {
        QTest::addColumn<bool>("mini");
        QTest::newRow("main window") << false;
        QTest::newRow("mini mode: on the strip") << true;
    }

    // A box belongs to the window the user is looking at and opens over its middle.
    void boxesCentredOnTheirWindow()
    {
        QFETCH(bool, mini);
        Live<QtMessageBoxes> p(QStringLiteral("tracks=3"));
        p.showActive();
        if (mini)
            p.player.popupMenu()->item(Menu::MiniMode)->trigger();
        QWidget* owner = mini ? static_cast<QWidget*>(p.player.miniWindow()) : &p.player;
        QWidget* parent = nullptr;
        QPoint boxCentre;
        Repeatedly answer([&] {
            QMessageBox* box = openBox();
            if (!box || !box->isVisible())
                return false;
            parent = box->parentWidget();
            boxCentre = box->frameGeometry().center();
            box->done(QMessageBox::Ok);
            return true;
        });
        p.player.showVersion();
        QCOMPARE(parent, owner);
        const QPoint offset = boxCentre - owner->frameGeometry().center();
        QVERIFY2(offset.manhattanLength() <= 4,
                 qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
    }

    // Play and its menu twin are disabled together while playing and enabled
    // together once stopped.
    void playAndTwin()
    {
        Window w(QStringLiteral("tracks=3"));
        auto* play = w.player.findChild<QAbstractButton*>(Main::PlayButton);
        auto* twin = w.player.findChild<QAction*>(Menu::Play);
        play->click();
        w.player.onTick();
        QVERIFY(!play->isEnabled());
        QVERIFY(!twin->isEnabled());
        w.player.findChild<QAbstractButton*>(Main::StopButton)->click();
        w.player.onTick();
        QVERIFY(play->isEnabled());
        QVERIFY(twin->isEnabled());
    }

    void holdOnPanel_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("on the panel") << "Shape3";
        QTest::newRow("on a digit") << "ClockDisp3";
        QTest::newRow("on a lamp") << "NORMALImage1";
    }

    // While stopped, holding the left button shows the track count and the
    // disc length; releasing it shows the track again.
    void holdOnPanel()
    {
        QFETCH(QString, target);
        Window w(QStringLiteral("tracks=8,length=3:00,track=5"));
        w.player.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.player));
        w.player.onTick();
        QCOMPARE(w.digits(), QByteArray("050000"));

        auto* widget = w.player.findChild<QWidget*>(target);
        const QPoint point = widget->geometry().center();
        QTest::mousePress(w.player.childAt(point), Qt::LeftButton, {},
                          w.player.childAt(point)->mapFrom(&w.player, point));
        w.player.onTick();
        QCOMPARE(w.digits(), QByteArray("8\0"
                                        "2400",
                                        6));
        QTest::mouseRelease(w.player.childAt(point), Qt::LeftButton, {},
                            w.player.childAt(point)->mapFrom(&w.player, point));
        w.player.onTick();
        QCOMPARE(w.digits(), QByteArray("050000"));
    }

    void relate_data()
    {
        QTest::addColumn<bool>("fromMenu");
        QTest::addColumn<QStringList>("answers"); // "" cancels
        QTest::addColumn<QString>("stored");
        QTest::newRow("button") << false << QStringList{"/songs/three.dwd"} << "/songs/three.dwd";
        QTest::newRow("menu item") << true << QStringList{"/songs/three.dwd"} << "/songs/three.dwd";
        QTest::newRow("relating again overwrites") << false << QStringList{"/a.dwd", "/b.dwd"} << "/b.dwd";
        QTest::newRow("cancelled") << false << QStringList{""} << "";
    }

    // The file goes under the disc's identity for the track on the digits;
    // the button and its menu twin are off while the dialog is open only.
    void relate()
    {
        QFETCH(bool, fromMenu);
        QFETCH(QStringList, answers);
        QFETCH(QString, stored);
        TempSettingsHome home;
        ManualClock clock;
        DeviceSession session(
            SimulatedDisc::create(QStringLiteral("tracks=5,track=3,id=1a2b3c4d"), clock, nullptr));
        ScriptedMessageBoxes boxes;
        QSettingsStore settings;
        WatchingDialogs dialogs;
        PlayerWindow player(session, boxes, settings, &dialogs);
        dialogs.player = &player;
        dialogs.scripted.answers = answers;
        for (int i = 0; i < answers.size(); ++i) {
            if (fromMenu)
                player.popupMenu()->item(Menu::Relate)->trigger();
            else
                player.findChild<QAbstractButton*>(Main::RelationButton)->click();
        }
        QCOMPARE(dialogs.scripted.titles.size(), answers.size());
        QVERIFY(!dialogs.enabledWhileOpen);
        QVERIFY(player.findChild<QWidget*>(Main::RelationButton)->isEnabled());
        QVERIFY(player.popupMenu()->item(Menu::Relate)->isEnabled());
        QVERIFY(boxes.shown.isEmpty());
        auto key = settings.openKey(QStringLiteral("Software\\OndelPlayer\\RelationData\\[1a2b3c4d]"), false);
        QCOMPARE(key && key->readString(QStringLiteral("[3]")) ? *key->readString(QStringLiteral("[3]"))
                                                               : QString(),
                 stored);
    }

    void lyricsSwitch_data()
    {
        QTest::addColumn<QStringList>("clicks"); // "button" or "menu"
        QTest::addColumn<bool>("down");
        QTest::addColumn<int>("switchedOff");
        QTest::newRow("button off") << QStringList{"button"} << false << 1;
        QTest::newRow("menu off") << QStringList{"menu"} << false << 1;
        QTest::newRow("button off, menu on") << QStringList{"button", "menu"} << true << 1;
        QTest::newRow("menu off, button on, menu off") << QStringList{"menu", "button", "menu"} << false << 2;
    }

    // The menu check follows the button, and only switching off acts at once.
    void lyricsSwitch()
    {
        QFETCH(QStringList, clicks);
        QFETCH(bool, down);
        QFETCH(int, switchedOff);
        Form f;
        auto* wordsOn = f.child<QAbstractButton>(Main::LyricsButton);
        for (const QString& c : clicks) {
            if (c == QLatin1String("button"))
                wordsOn->click();
            else
                f.item(Menu::LyricsOn)->trigger();
            QCOMPARE(f.item(Menu::LyricsOn)->isChecked(), wordsOn->isChecked());
        }
        QCOMPARE(wordsOn->isChecked(), down);
        QCOMPARE(f.player.wordsOnDown(), down);
        QCOMPARE(f.player.switchedOff, switchedOff);
    }

    // Play on a related track opens the lyrics window; Stop and the lyrics
    // switch take it away again.
    void lyricsWindowFollowsPlayAndStop_data()
    {
        QTest::addColumn<bool>("bySwitch");
        QTest::newRow("stop") << false;
        QTest::newRow("lyrics switched off") << true;
    }

    void lyricsWindowFollowsPlayAndStop()
    {
        QFETCH(bool, bySwitch);
        Form f;
        f.show();
        QTemporaryDir dir;
        const QString dwd = dir.filePath(QStringLiteral("song.dwd"));
        QFile file(dwd);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(sampleDwdBytes());
        file.close();
        ReplyBuffer id;
        f.session.sendCommand("info cdaudio identity wait", id);
        QVERIFY(f.settings.openKey(SettingsKeys::relationKey(id.toByteArray()), true)
                    ->writeString(QStringLiteral("[1]"), dwd));

        f.child<QAbstractButton>(Main::PlayButton)->click();
        auto display = [] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (qobject_cast<LyricsWindow*>(w) && w->isVisible())
                    return w;
            return static_cast<QWidget*>(nullptr);
        };
        QVERIFY2(display(), qPrintable(f.boxes.shown.isEmpty() ? QString() : f.boxes.shown.last().text));
        QCOMPARE(display()->windowTitle(), QStringLiteral("Words display"));
        if (bySwitch)
            f.child<QAbstractButton>(Main::LyricsButton)->click();
        else
            f.child<QAbstractButton>(Main::StopButton)->click();
        QTRY_VERIFY(!display());
    }

    // The wipe chosen in the lyrics window's menu is kept in the settings and
    // checked again in the window the next play opens.
    void wipeItemIsRemembered()
    {
        Form f;
        f.show();
        QTemporaryDir dir;
        const QString dwd = dir.filePath(QStringLiteral("song.dwd"));
        QFile file(dwd);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(sampleDwdBytes());
        file.close();
        f.relate(1, dwd);
        auto wipeItem = [] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (qobject_cast<LyricsWindow*>(w) && w->isVisible())
                    return w->findChild<QAction*>(LyricsWindowObjectNames::wipeItem);
            return static_cast<QAction*>(nullptr);
        };
        f.child<QAbstractButton>(Main::PlayButton)->click();
        QVERIFY(wipeItem() && wipeItem()->isCheckable() && !wipeItem()->isChecked());
        wipeItem()->trigger();
        auto key = f.settings.openKey(SettingsKeys::WordsDisplayState, false);
        QVERIFY(key);
        QCOMPARE(key->readInteger(SettingsKeys::Wipe).value_or(-1), 1);
        f.child<QAbstractButton>(Main::StopButton)->click();
        QTRY_VERIFY(!wipeItem());
        QTRY_VERIFY(f.child<QAbstractButton>(Main::PlayButton)->isEnabled());
        f.child<QAbstractButton>(Main::PlayButton)->click();
        QTRY_VERIFY(wipeItem());
        QVERIFY(wipeItem()->isChecked());
    }
};

QTEST_MAIN(tst_PlayerWindowPlayback)
#include "tst_PlayerWindowPlayback.moc"
