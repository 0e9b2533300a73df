#include "MainWindowFixture.h"
#include "SampleDwd.h"
#include "ScriptedMessageBoxes.h"
#include "TempSettingsHome.h"
#include "UniqueDisc.h"
#include "app/PlayerWindow.h"
#include "controls/DigitalDisplay.h"
#include "controls/PictureButton.h"
#include "core/SettingsKeys.h"
#include "lyrics/ui/LyricsWindow.h"
#include "platform/Clock.h"
#include "platform/MemorySettingsStore.h"
#include "platform/QSettingsStore.h"
#include "platform/cdaudio/DeviceSession.h"
#include "platform/cdaudio/SimulatedDisc.h"
#include "player/Association.h"
#include "player/PlayerStateStore.h"
#include "window/MiniPlayerWindow.h"
#include "window/PlayerObjectNames.h"
#include "window/PlayerPopupMenu.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QPointer>
#include <QScreen>
#include <QShortcut>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace PlayerObjectNames;

namespace {
// The main window started on a settings store filled beforehand.
template <typename Store = MemorySettingsStore>
struct Started : MainWindowFixture<PlayerWindow, ScriptedFileDialogs, ScriptedMessageBoxes, Store> {
    explicit Started(const QStringList& saved = {}, const QString& disc = QStringLiteral("tracks=3"))
        : MainWindowFixture<PlayerWindow, ScriptedFileDialogs, ScriptedMessageBoxes, Store>(disc, saved)
    {
    }
    // Shown as main() shows it; waits for the first paint, which hides the
    // main window when mini mode was restored.
    void show()
    {
        this->player.show();
        QTest::qWait(50);
        QCoreApplication::processEvents();
    }
    QByteArray miniDigits()
    {
        QByteArray text;
        for (int i = 1; i <= 6; ++i)
            text += this->player.miniWindow()->digit(i)->number();
        return text;
    }
    Store& store = this->settings;
};

QRect firstScreen()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}
} // namespace

class tst_MiniMode : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void load_data()
    {
        QTest::addColumn<QStringList>("saved");
        QTest::addColumn<QPoint>("place"); // (-1, -1): where the system puts it
        QTest::addColumn<int>("playMode");
        QTest::addColumn<QString>("lamps"); // lit: N, R, X (random)
        QTest::addColumn<QString>("checkedMode");
        QTest::addColumn<bool>("wordsOn");
        QTest::addColumn<bool>("menuWordsOn");
        QTest::addColumn<bool>("mini");

        QTest::newRow("first run") << QStringList{} << QPoint(-1, -1) << 0 << "N"
                                   << "RMenuModeNormal" << true << true << false;
        QTest::newRow("only Left and Top") << QStringList{"Left=120", "Top=90"} << QPoint(120, 90) << 0 << "N"
                                           << "RMenuModeNormal" << true << true << false;
        // The load stops at the bad value: what follows it is never read.
        QTest::newRow("a Mode that is not a number")
            << QStringList{"Left=120", "Top=90", "Mode=two", "WordsOn=0", "MiniCDPlayer=1"} << QPoint(120, 90)
            << 0 << "N"
            << "RMenuModeNormal" << true << true << false;
        QTest::newRow("mode 7 keeps the lamps and the check")
            << QStringList{"Left=120", "Top=90", "Mode=7", "WordsOn=0", "MiniCDPlayer=0"} << QPoint(120, 90)
            << 7 << "N"
            << "RMenuModeNormal" << false << false << false;
        QTest::newRow("repeat all, lyrics off")
            << QStringList{"Left=130", "Top=95", "Mode=2", "WordsOn=0", "MiniCDPlayer=0"} << QPoint(130, 95)
            << 2 << "NR"
            << "RMenuModeAllRepeat" << false << false << false;
        QTest::newRow("any value but 0 is true")
            << QStringList{"Left=130", "Top=95", "Mode=3", "WordsOn=-4", "MiniCDPlayer=0"} << QPoint(130, 95)
            << 3 << "X"
            << "RMenuModeRandom" << true << true << false;
        QTest::newRow("mini mode saved")
            << QStringList{"Left=140", "Top=100", "Mode=1", "WordsOn=1", "MiniCDPlayer=1"} << QPoint(140, 100)
            << 1 << "R"
            << "RMenuModeRepeat" << true << true << true;
        QTest::newRow("a place on no screen goes onto the nearest")
            << QStringList{"Left=-20000", "Top=100", "Mode=0", "WordsOn=1", "MiniCDPlayer=0"}
            << QPoint(firstScreen().left(), 100) << 0 << "N"
            << "RMenuModeNormal" << true << true << false;
    }

    void load()
    {
        QFETCH(QStringList, saved);
        QFETCH(QPoint, place);
        QFETCH(int, playMode);
        QFETCH(QString, lamps);
        QFETCH(QString, checkedMode);
        QFETCH(bool, wordsOn);
        QFETCH(bool, menuWordsOn);
        QFETCH(bool, mini);

        Started s(saved);
        if (place == QPoint(-1, -1))
            QVERIFY(!s.player.testAttribute(Qt::WA_Moved));
        else
            QCOMPARE(s.player.pos(), place);
        QCOMPARE(int(s.player.state().playMode), playMode);
        QCOMPARE(s.lit(Main::NormalLampLit), lamps.contains(QLatin1Char('N')));
        QCOMPARE(s.lit(Main::RepeatLampLit), lamps.contains(QLatin1Char('R')));
        QCOMPARE(s.lit(Main::RandomLampLit), lamps.contains(QLatin1Char('X')));
        QVERIFY(s.item(qPrintable(checkedMode))->isChecked());
        QCOMPARE(s.button(Main::LyricsButton)->isChecked(), wordsOn);
        QCOMPARE(s.item(Menu::LyricsOn)->isChecked(), menuWordsOn);
        QCOMPARE(s.item(Menu::MiniMode)->isChecked(), mini);
        QCOMPARE(bool(s.player.miniWindow()), mini);

        s.show();
        QCOMPARE(s.player.isVisible(), !mini);
        if (mini) {
            // Only the strip shows, centred over where the full window would be.
            QVERIFY(s.player.miniWindow()->isVisible());
            QCOMPARE(s.player.miniWindow()->pos(), place + QPoint(73, 38));
        }
        // Loading never writes.
        QCOMPARE(s.saved("Left"),
                 saved.isEmpty() ? QStringLiteral("-") : saved[0].section(QLatin1Char('='), 1));
    }

    void save_data()
    {
        QTest::addColumn<bool>("mini");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("full window") << false << QStringList{"200", "150", "2", "0", "0"};
        // Centred over the strip, the window unfolded: 400 + (160 - 306) / 2, 300 + (53 - 183) / 2.
        QTest::newRow("mini mode, strip dragged to 400, 300")
            << true << QStringList{"327", "235", "2", "0", "1"};
    }

    // Quitting saves all five values; the strip's keyboard quits too.
    void save()
    {
        QFETCH(bool, mini);
        QFETCH(QStringList, expected);
        Started s;
        s.player.move(200, 150);
        s.show();
        QTest::mouseClick(s.button(Main::ModeButton), Qt::LeftButton);
        QTest::mouseClick(s.button(Main::ModeButton), Qt::LeftButton);
        QTest::mouseClick(s.button(Main::ExtendButton), Qt::LeftButton);
        QTest::mouseClick(s.button(Main::LyricsButton), Qt::LeftButton);
        if (mini) {
            s.item(Menu::MiniMode)->trigger();
            QVERIFY(!s.player.isVisible());
            s.player.miniWindow()->move(400, 300);
            QTRY_COMPARE(QApplication::activeWindow(), s.player.miniWindow());
            QTest::keyClick(s.player.miniWindow(), Qt::Key_Q, Qt::ControlModifier);
        }
        else {
            QTest::mouseClick(s.button(Main::PowerButton), Qt::LeftButton);
        }
        QStringList written;
        for (const char* name : {"Left", "Top", "Mode", "WordsOn", "MiniCDPlayer"})
            written << s.saved(name);
        QCOMPARE(written, expected);
        QVERIFY(!s.player.miniWindow());
    }

    // Closing without the quit button saves nothing.
    void closingOtherwiseSavesNothing()
    {
        Started s;
        s.show();
        s.player.close();
        QCOMPARE(s.saved("Left"), QStringLiteral("-"));
    }

    // The strip stands in for the window: centred on it, following the disc
    // after every tick, dragged away, and the window comes back centred on it.
    void enterFollowLeave()
    {
        Started s(QStringList{}, QStringLiteral("tracks=3,length=3:00"));
        // The disc names its second track: the digits' tooltips say so.
        s.device.answer = [](const QByteArray& command, ReplyBuffer& reply) {
            if (!command.startsWith("info cdaudio title"))
                return false;
            if (command == "info cdaudio title track 2")
                reply.set("Zwei");
            return true;
        };
        s.player.move(200, 150);
        s.show();
        s.item(Menu::MiniMode)->trigger();
        MiniPlayerWindow* mini = s.player.miniWindow();
        QVERIFY(mini && mini->isVisible());
        QVERIFY(!s.player.isVisible());
        QCOMPARE(mini->pos(), QPoint(273, 188));

        // Every command by the keyboard on the strip: next track, play.
        QTRY_COMPARE(QApplication::activeWindow(), mini);
        QTest::keyClick(mini, Qt::Key_Right);
        QTest::keyClick(mini, Qt::Key_Space);
        s.clock.advance(1000);
        QTRY_COMPARE(s.miniDigits(), QByteArray("020001"));
        QCOMPARE(s.miniDigits(), s.digits());
        QCOMPARE(mini->digit(1)->toolTip(), QStringLiteral("Zwei"));
        QCOMPARE(s.child(Main::Digits[5])->toolTip(), QStringLiteral("Zwei"));
        s.clock.advance(62000);
        QTRY_COMPARE(s.miniDigits(), QByteArray("020103"));

        mini->move(500, 400);
        s.item(Menu::MiniMode)->trigger();
        QVERIFY(!s.player.miniWindow());
        QVERIFY(s.player.isVisible());
        QCOMPARE(s.player.pos(), QPoint(500 - 73, 400 - 38));
    }

    void commandsFromTheStripsMenu_data()
    {
        QTest::addColumn<QString>("item");
        QTest::newRow("leave mini mode") << "RMenuResize";
        QTest::newRow("quit") << "RMenuQuit";
    }

    // The strip's right click opens the main window's menu; its items act
    // while the strip's own press is still being handled.
    void commandsFromTheStripsMenu()
    {
        QFETCH(QString, item);
        Started s;
        s.show();
        s.item(Menu::MiniMode)->trigger();
        QPointer<MiniPlayerWindow> mini = s.player.miniWindow();
        QWidget* digit = mini->digit(3);
        QTimer pick;
        connect(&pick, &QTimer::timeout, [&] {
            if (QApplication::activePopupWidget() == s.player.popupMenu()) {
                pick.stop();
                s.player.popupMenu()->item(item)->trigger();
                s.player.popupMenu()->close();
            }
        });
        pick.start(0);
        QTest::mousePress(digit, Qt::RightButton, {}, QPoint(4, 8));
        QTRY_VERIFY(!mini);
        QCOMPARE(s.player.isVisible(), item == QLatin1String("RMenuResize"));
        QCOMPARE(s.saved("MiniCDPlayer"),
                 item == QLatin1String("RMenuQuit") ? QStringLiteral("1") : QStringLiteral("-"));
    }

    void lyricsWindowComesBackWhereLeft_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("stopped") << "stop";
        QTest::newRow("lyrics switched off and on") << "switch";
        QTest::newRow("closed by the user") << "close";
    }

    // The lyrics window goes (saving its place) and the next play brings it
    // back at that place.
    void lyricsWindowComesBackWhereLeft()
    {
        QFETCH(QString, how);
        Started s(QStringList{}, QStringLiteral("tracks=3,length=3:00"));
        s.show();
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("song.dwd")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(sampleDwdBytes());
        file.close();
        ReplyBuffer id;
        s.session.sendCommand("info cdaudio identity wait", id);
        for (int track : {1, 2})
            s.store.openKey(SettingsKeys::relationKey(id.toByteArray()), true)
                ->writeString(SettingsKeys::trackValue(track), file.fileName());
        const auto display = [] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (qobject_cast<LyricsWindow*>(w) && w->isVisible())
                    return w;
            return static_cast<QWidget*>(nullptr);
        };

        QTest::mouseClick(s.button(Main::PlayButton), Qt::LeftButton);
        QVERIFY(display());
        display()->move(333, 222);
        // The client area's place is kept: the frame's differs with the window manager.
        const QPoint client = display()->geometry().topLeft();
        if (how == QLatin1String("stop")) {
            QTest::mouseClick(s.button(Main::StopButton), Qt::LeftButton);
        }
        else if (how == QLatin1String("switch")) {
            QTest::mouseClick(s.button(Main::ExtendButton), Qt::LeftButton);
            QTest::mouseClick(s.button(Main::LyricsButton), Qt::LeftButton);
        }
        else {
            display()->close();
        }
        QTRY_VERIFY(!display());
        auto key = s.store.openKey(SettingsKeys::WordsDisplayState, false);
        QVERIFY(key);
        QCOMPARE(key->readInteger(QStringLiteral("Left")), std::optional<qint32>(client.x()));
        QCOMPARE(key->readInteger(QStringLiteral("Top")), std::optional<qint32>(client.y()));

        if (how == QLatin1String("stop")) {
            QTRY_VERIFY(s.button(Main::PlayButton)->isEnabled());
            QTest::mouseClick(s.button(Main::PlayButton), Qt::LeftButton);
        }
        else {
            if (how == QLatin1String("switch"))
                QTest::mouseClick(s.button(Main::LyricsButton), Qt::LeftButton);
            QTest::mouseClick(s.button(Main::FastForwardButton), Qt::LeftButton);
        }
        QVERIFY(display());
        QCOMPARE(display()->geometry().topLeft(), client);
    }

    // Quit in mini mode, start again on the same settings file: only the
    // strip shows, at the same place, with the mode lit when it is left.
    void roundTripThroughTheSettingsFile()
    {
        TempSettingsHome home;
        QPoint stripPlace;
        {
            Started<QSettingsStore> first;
            first.player.move(210, 160);
            first.show();
            QTest::keyClick(&first.player, Qt::Key_M);
            QTest::keyClick(&first.player, Qt::Key_M);
            QTest::keyClick(&first.player, Qt::Key_M);
            first.item(Menu::MiniMode)->trigger();
            first.player.miniWindow()->move(350, 250);
            stripPlace = first.player.miniWindow()->pos();
            first.item(Menu::Quit)->trigger();
        }
        QFile file(home.configFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY2(text.contains("[PlayerState]") && text.contains("Mode=3") && text.contains("MiniCDPlayer=1"),
                 text.constData());

        Started<QSettingsStore> second;
        second.show();
        QVERIFY(!second.player.isVisible());
        QVERIFY(second.player.miniWindow());
        QCOMPARE(second.player.miniWindow()->pos(), stripPlace);
        second.item(Menu::MiniMode)->trigger();
        QVERIFY(second.player.isVisible());
        QCOMPARE(second.player.pos(), stripPlace - QPoint(73, 38));
        QVERIFY(second.lit(Main::RandomLampLit));
        QVERIFY(second.item(Menu::ModeRandom)->isChecked());
    }
};

QTEST_MAIN(tst_MiniMode)
#include "tst_MiniMode.moc"
