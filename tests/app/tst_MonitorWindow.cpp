#include "RecordingDevice.h"
#include "ScriptedMessageBoxes.h"
#include "UniqueDisc.h"
#include "app/PlayerWindow.h"
#include "compile/ui/CompileWindow.h"
#include "controls/DigitalDisplay.h"
#include "controls/PictureButton.h"
#include "core/SettingsKeys.h"
#include "platform/Clock.h"
#include "platform/MemorySettingsStore.h"
#include "platform/cdaudio/DeviceSession.h"
#include "platform/cdaudio/SimulatedDisc.h"
#include "platform/widgets/QtMessageBoxes.h"
#include "player/Association.h"
#include "window/PlayerPopupMenu.h"

#include <QAccessible>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <algorithm>

namespace {
// The main window on a simulated disc with a real clock (the disc runs
// `speed` times faster), real boxes or scripted ones, the real 50 ms timer,
// and every device command recorded.
template <typename Boxes, typename DiscClock = SteadyClock> struct Player {
    explicit Player(const QString& disc)
        : session(SimulatedDisc::create(uniqueDisc(disc), clock, nullptr)), device(session),
          player(device, boxes, settings)
    {
        if constexpr (std::is_same_v<Boxes, QtMessageBoxes>)
            boxes.owner = [this] { return player.boxOwner(); };
    }

    void show()
    {
        player.move(200, 150);
        player.show();
        player.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&player));
    }
    template <typename T = QWidget> T* child(const char* name)
    {
        return player.findChild<T*>(QLatin1String(name));
    }
    PictureButton* button(const char* name) { return child<PictureButton>(name); }
    QByteArray digits()
    {
        QByteArray text;
        for (int i = 1; i <= 6; ++i)
            text += player.findChild<DigitalDisplay*>(QStringLiteral("ClockDisp%1").arg(i))->number();
        return text;
    }
    // The tracks of the play commands sent since `from`.
    QList<int> plays(qsizetype from = 0) const
    {
        QList<int> tracks;
        for (qsizetype i = from; i < device.sent.size(); ++i)
            if (device.sent[i].startsWith("play cdaudio from "))
                tracks << device.sent[i].mid(18).toInt();
        return tracks;
    }
    void relate(int track, const QString& file)
    {
        ReplyBuffer reply;
        session.sendCommand("info cdaudio identity wait", reply);
        settings.openKey(SettingsKeys::relationKey(reply.toByteArray()), true)
            ->writeString(SettingsKeys::trackValue(track), file);
    }

    DiscClock clock;
    DeviceSession session;
    RecordingDevice device;
    Boxes boxes;
    MemorySettingsStore settings;
    PlayerWindow player;
};

// Runs `action` every few milliseconds in whatever event loop is running,
// the modal loop of a box included, until it returns true.
class Repeatedly : public QObject {
public:
    explicit Repeatedly(std::function<bool()> action) : action_(std::move(action))
    {
        connect(&timer_, &QTimer::timeout, this, [this] {
            if (action_())
                timer_.stop();
        });
        timer_.start(5);
    }
    bool done() const { return !timer_.isActive(); }

private:
    std::function<bool()> action_;
    QTimer timer_;
};

QMessageBox* openBox()
{
    return qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
}

const QString MissingFile = QStringLiteral("/nonexistent/ondel/missing.dwd");
} // namespace

class tst_MonitorWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // One-track repeat of a track whose lyrics file is missing: the replay at
    // the track's end comes from a tick and shows a box. While that box is
    // open the monitor must go on: the digits move and the track repeats
    // (each repeat opening its own box inside the first).
    void ticksRunInsideABoxOpenedByATick()
    {
        Player<QtMessageBoxes> p(QStringLiteral("tracks=3,length=0:02,speed=4"));
        p.relate(1, MissingFile);
        p.show();
        QTest::mouseClick(p.button("SetMode"), Qt::LeftButton); // one-track repeat
        // Lyrics off for the user's own play, on again for the repeats.
        QTest::mouseClick(p.button("WordsOn1"), Qt::LeftButton);
        QTest::mouseClick(p.button("Play"), Qt::LeftButton);
        QTest::mouseClick(p.button("WordsOn1"), Qt::LeftButton);

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
                QTest::mouseClick(p.button("WordsOn1"), Qt::LeftButton);
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
        Player<QtMessageBoxes> p(QStringLiteral("tracks=3,length=0:02"));
        p.show();
        auto* panel = p.child("Shape3");
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

    void focusStaysOnWhatIsShown_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("a box closes over the unfolded window") << "box";
        QTest::newRow("the row is folded under the focus") << "fold";
    }

    // Space never presses a button the user cannot see: here it would open
    // the compiler window.
    void focusStaysOnWhatIsShown()
    {
        QFETCH(QString, how);
        Player<QtMessageBoxes> p(QStringLiteral("tracks=3"));
        p.show();
        QTest::mouseClick(p.button("ExtendedButtom1"), Qt::LeftButton);
        if (how == QLatin1String("box")) {
            Repeatedly answer([] {
                QMessageBox* box = openBox();
                if (box)
                    box->done(QMessageBox::Ok);
                return box != nullptr;
            });
            p.player.showVersion();
            p.player.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&p.player));
        }
        else {
            p.button("Compile")->setFocus(Qt::TabFocusReason);
            QTest::mouseClick(p.button("ExtendedButtom1"), Qt::LeftButton);
        }
        QTRY_VERIFY(QApplication::focusWidget());
        QWidget* focused = QApplication::focusWidget();
        const QRect shown = p.player.mask().boundingRect();
        QVERIFY2(focused == &p.player ||
                     (focused->isVisible() &&
                      shown.contains(QRect(focused->mapTo(&p.player, QPoint(0, 0)), focused->size()))),
                 qPrintable(focused->objectName()));
        QVERIFY2(focused != p.button("Compile"), "focus on the compiler's button");
        QTest::keyClick(focused, Qt::Key_Space);
        QVERIFY(!p.player.compileWindow());
    }

    void minimisedTitle_data()
    {
        QTest::addColumn<bool>("secondClick");
        QTest::addColumn<QString>("title");
        // Without a window manager nothing is iconified: the second click
        // releases the button and gives the title back.
        QTest::newRow("second click with nothing iconified") << true << "OndelPlayer";
        QTest::newRow("playback ends while minimised") << false << "OndelPlayer [01] 00:00";
    }

    void minimisedTitle()
    {
        QFETCH(bool, secondClick);
        QFETCH(QString, title);
        Player<ScriptedMessageBoxes> p(QStringLiteral("tracks=3,length=0:30,speed=4"));
        p.show();
        QTest::mouseClick(p.button("Play"), Qt::LeftButton);
        QTest::mouseClick(p.button("MinimizeButtom1"), Qt::LeftButton);
        QTRY_VERIFY(p.player.windowTitle().startsWith(QLatin1String("OndelPlayer [01] 00:0")));
        QTRY_VERIFY(p.player.windowTitle() != QLatin1String("OndelPlayer [01] 00:00"));
        if (secondClick)
            QTest::mouseClick(p.button("MinimizeButtom1"), Qt::LeftButton);
        else
            QTest::mouseClick(p.button("Stop"), Qt::LeftButton);
        QTRY_COMPARE(p.player.windowTitle(), title);
        QTest::qWait(300); // and it stays so while the disc would play on
        QCOMPARE(p.player.windowTitle(), title);
    }

    void playWithoutADisc()
    {
        Player<ScriptedMessageBoxes> p(QStringLiteral("state=empty"));
        p.show();
        QTest::mouseClick(p.button("Play"), Qt::LeftButton);
        QCOMPARE(p.boxes.shown.size(), 1);
        QCOMPARE(p.boxes.shown[0].caption, QStringLiteral("Information"));
        QCOMPARE(p.boxes.shown[0].text, PlayerWindow::noDiscMessage());
        QTest::qWait(200);
        QVERIFY(p.button("Play")->isEnabled());
        QVERIFY(p.player.popupMenu()->item(QStringLiteral("RMenuPlay"))->isEnabled());
    }

    void ejectFromATrayOpenAtStart()
    {
        Player<ScriptedMessageBoxes> p(QStringLiteral("tracks=3,state=open"));
        p.show();
        QTest::mouseClick(p.button("Eject1"), Qt::LeftButton);
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
        Player<ScriptedMessageBoxes, ManualClock> p(QStringLiteral("tracks=3,length=3:00"));
        p.show();
        QTest::mouseClick(p.button("FF"), Qt::LeftButton);
        QTest::mouseClick(p.button("Play"), Qt::LeftButton);
        p.clock.advance(atMs);
        const qsizetype before = p.device.sent.size();
        QTest::mouseClick(p.button("Rew"), Qt::LeftButton);
        QCOMPARE(p.plays(before), QList<int>{plays});
    }

    void keyboard_data()
    {
        QTest::addColumn<QKeyCombination>("key");
        QTest::addColumn<bool>("playingFirst");
        QTest::addColumn<QString>("expect");

        QTest::newRow("Space plays") << QKeyCombination(Qt::Key_Space) << false << "playing";
        QTest::newRow("Space stops") << QKeyCombination(Qt::Key_Space) << true << "stopped";
        QTest::newRow("Right: next track") << QKeyCombination(Qt::Key_Right) << false << "track 2";
        QTest::newRow("Left: previous track") << QKeyCombination(Qt::Key_Left) << false << "track 3";
        QTest::newRow("E ejects") << QKeyCombination(Qt::Key_E) << false << "open";
        QTest::newRow("M: next mode") << QKeyCombination(Qt::Key_M) << false << "mode 1";
        QTest::newRow("L: lyrics off") << QKeyCombination(Qt::Key_L) << false << "lyrics off";
        QTest::newRow("Menu key opens the menu") << QKeyCombination(Qt::Key_Menu) << false << "menu";
        QTest::newRow("Shift+F10 opens the menu")
            << QKeyCombination(Qt::SHIFT, Qt::Key_F10) << false << "menu";
        QTest::newRow("Ctrl+Q quits") << QKeyCombination(Qt::CTRL, Qt::Key_Q) << false << "closed";
    }

    void keyboard()
    {
        QFETCH(QKeyCombination, key);
        QFETCH(bool, playingFirst);
        QFETCH(QString, expect);
        Player<ScriptedMessageBoxes> p(QStringLiteral("tracks=3"));
        p.show();
        if (playingFirst) {
            QTest::mouseClick(p.button("Play"), Qt::LeftButton);
            QTRY_VERIFY(!p.button("Play")->isEnabled());
        }
        QMenu* opened = nullptr;
        Repeatedly close([&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (menu) {
                opened = menu;
                menu->close();
            }
            return menu != nullptr;
        });
        QTest::keyClick(&p.player, key.key(), key.keyboardModifiers());
        ReplyBuffer mode;
        p.session.sendCommand("status cdaudio mode wait", mode);
        const QByteArray m = mode.toByteArray();
        if (expect == QLatin1String("playing") || expect == QLatin1String("stopped") ||
            expect == QLatin1String("open"))
            QCOMPARE(m, expect.toLatin1());
        else if (expect.startsWith(QLatin1String("track ")))
            QTRY_COMPARE(p.digits().left(2), QByteArray("0") + expect.right(1).toLatin1());
        else if (expect == QLatin1String("mode 1"))
            QCOMPARE(int(p.player.state().playMode), 1);
        else if (expect == QLatin1String("lyrics off"))
            QVERIFY(!p.button("WordsOn1")->isChecked());
        else if (expect == QLatin1String("menu"))
            QCOMPARE(opened, p.player.popupMenu());
        else if (expect == QLatin1String("closed"))
            QVERIFY(!p.player.isVisible());
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
        Player<QtMessageBoxes> p(QStringLiteral("tracks=3"));
        p.show();
        if (mini)
            p.player.popupMenu()->item(QStringLiteral("RMenuResize"))->trigger();
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

    // A screen reader finds every button by name and reads the display.
    void accessibleNames()
    {
        Player<ScriptedMessageBoxes> p(QStringLiteral("tracks=3"));
        p.show();
        for (const char* name : {"Play", "Stop", "Eject", "Mode", "Previous track", "Next track", "Quit"}) {
            bool found = false;
            for (auto* b : p.player.findChildren<PictureButton*>())
                found = found || QAccessible::queryAccessibleInterface(b)->text(QAccessible::Name) ==
                                     QLatin1String(name);
            QVERIFY2(found, name);
        }
        for (auto* b : p.player.findChildren<PictureButton*>())
            QVERIFY2(!b->toolTip().isEmpty(), qPrintable(b->objectName()));
        QTRY_COMPARE(QAccessible::queryAccessibleInterface(p.child("Shape3"))->text(QAccessible::Description),
                     QStringLiteral("[01] 00:00, NORMAL"));
    }
};

QTEST_MAIN(tst_MonitorWindow)
#include "tst_MonitorWindow.moc"
