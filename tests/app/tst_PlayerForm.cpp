#include "MainWindowFixture.h"
#include "SampleDwd.h"
#include "ScriptedFileDialogs.h"
#include "ScriptedMessageBoxes.h"
#include "TempSettingsHome.h"
#include "app/PlayerWindow.h"
#include "compile/ui/CompileWindow.h"
#include "controls/PictureButton.h"
#include "core/SettingsKeys.h"
#include "editor/ui/ScriptEditorWindow.h"
#include "lyrics/ui/LyricsWindow.h"
#include "platform/Clock.h"
#include "platform/QSettingsStore.h"
#include "platform/cdaudio/DeviceSession.h"
#include "platform/cdaudio/SimulatedDisc.h"
#include "player/Association.h"
#include "window/PlayerPopupMenu.h"

#include <QActionGroup>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
// Counts the lyrics switch's hook, which the lyrics display takes over.
class Player final : public PlayerWindow {
public:
    using PlayerWindow::PlayerWindow;
    void lyricsSwitchedOff() override
    {
        ++switchedOff;
        PlayerWindow::lyricsSwitchedOff();
    }
    int switchedOff = 0;
};

// File dialogs that note whether the association's button and menu item
// were disabled while the dialog was open.
class WatchingDialogs final : public FileDialogs {
public:
    std::optional<QString> openFile(const QString& title, const QString& filter,
                                    const QString& suffix) override
    {
        enabledWhileOpen = player->findChild<QWidget*>(QStringLiteral("Relation"))->isEnabled() ||
                           player->popupMenu()->item(QStringLiteral("RMenuRelate"))->isEnabled();
        return scripted.openFile(title, filter, suffix);
    }
    std::optional<QString> saveFile(const QString&, const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
    ScriptedFileDialogs scripted;
    PlayerWindow* player = nullptr;
    bool enabledWhileOpen = true;
};

struct Form : MainWindowFixture<Player, WatchingDialogs> {
    explicit Form(const QString& disc = QStringLiteral("tracks=3")) : MainWindowFixture(disc)
    {
        dialogs.player = &player;
    }
};

// One pointer event at a screen position, delivered to a widget as the
// window system delivers it to the widget under the pointer or holding the
// grab: presses and moves the widget leaves alone go on to its parents.
void pointer(QWidget* target, QEvent::Type type, QPoint global, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent event(type, target->mapFromGlobal(QPointF(global)),
                      target->window()->mapFromGlobal(QPointF(global)), QPointF(global), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// While the next popup menu is open: notes its captions, then closes it.
struct PopupWatch {
    PopupWatch()
    {
        timer.setInterval(0);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                return;
            opened = menu;
            for (QAction* a : menu->actions())
                captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
            menu->close();
            timer.stop();
        });
        timer.start();
    }
    QTimer timer;
    QMenu* opened = nullptr;
    QStringList captions;
};
} // namespace

class tst_PlayerForm : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startsAsDesigned()
    {
        Form f;
        QVERIFY(f.player.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(f.player.size(), QSize(306, 130));
        QVERIFY(f.child<QAbstractButton>(QStringLiteral("Power1"))->isChecked());
        QVERIFY(f.child<QAbstractButton>(QStringLiteral("WordsOn1"))->isChecked());
        QVERIFY(!f.child<QAbstractButton>(QStringLiteral("ExtendedButtom1"))->isChecked());
        QVERIFY(f.child(QStringLiteral("GoSongEditer"))->isEnabled());
        QVERIFY(f.child(QStringLiteral("Compile"))->isEnabled());
        QVERIFY(f.child(QStringLiteral("Relation"))->isEnabled());
        QVERIFY(f.item("RMenuSetRhythm")->isEnabled());
        QVERIFY(f.item("RMenuRizuzAvodar")->isEnabled());
        QVERIFY(f.item("RMenuResize")->isEnabled());
        QVERIFY(!f.item("RMenuResize")->isChecked());
        // Every button shows a skin picture, never an empty face.
        for (auto* b : f.player.findChildren<PictureButton*>())
            QVERIFY2(!b->picture(PictureButton::Picture::Up).isNull(), qPrintable(b->objectName()));
    }

    // The bottom edge lies over the side edges, wherever it is moved.
    void bottomEdgeOnTop()
    {
        Form f;
        const QObjectList children = f.player.children();
        const auto index = [&](const char* name) { return children.indexOf(f.child(QLatin1String(name))); };
        QVERIFY(index("Image9") > index("Image7"));
        QVERIFY(index("Image9") > index("Image8"));
        QVERIFY(index("Image1") < index("Power1"));
    }

    void foldAndUnfold_data()
    {
        QTest::addColumn<int>("presses");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("rowTabStops");
        QTest::newRow("folded at start") << 0 << 130 << false;
        QTest::newRow("unfolded") << 1 << 183 << true;
        QTest::newRow("folded again") << 2 << 130 << false;
        QTest::newRow("unfolded again") << 3 << 183 << true;
    }

    // Only the height changes; the bottom edge follows it and the clip
    // always matches the client area.
    void foldAndUnfold()
    {
        QFETCH(int, presses);
        QFETCH(int, height);
        QFETCH(bool, rowTabStops);
        Form f;
        f.show();
        const QPoint place = f.player.pos();
        auto* extend = f.child<QAbstractButton>(QStringLiteral("ExtendedButtom1"));
        for (int i = 0; i < presses; ++i)
            QTest::mouseClick(extend, Qt::LeftButton);
        QCOMPARE(f.player.size(), QSize(306, height));
        QCOMPARE(f.player.pos(), place);
        QCOMPARE(f.player.mask(), QRegion(0, 0, 306, height));
        QCOMPARE(f.child(QStringLiteral("Image9"))->geometry(), QRect(0, height - 5, 306, 5));
        for (const char* name : {"GoSongEditer", "Compile", "Relation"})
            QCOMPARE(f.child(QLatin1String(name))->focusPolicy() == Qt::TabFocus, rowTabStops);
    }

    void dragSources_data()
    {
        QTest::addColumn<QString>("component");
        QTest::addColumn<bool>("unfolded");
        QTest::addColumn<bool>("hoverFirst");
        QTest::addColumn<bool>("drags");
        QTest::newRow("bare background") << "" << false << true << true;
        QTest::newRow("display panel") << "Shape3" << false << true << true;
        QTest::newRow("display panel, pressed where the pointer already was")
            << "Shape3" << false << false << true;
        QTest::newRow("lit lamp") << "NORMALImage0" << false << true << true;
        QTest::newRow("dim lamp") << "RANDOMImage1" << false << true << true;
        QTest::newRow("digit") << "ClockDisp4" << false << true << true;
        QTest::newRow("colon dot") << "Shape2" << false << true << true;
        QTest::newRow("title plate") << "Image1" << false << true << false;
        QTest::newRow("display frame") << "Image3" << false << true << false;
        QTest::newRow("left edge") << "Image7" << false << true << false;
        QTest::newRow("bottom edge") << "Image9" << false << true << false;
        QTest::newRow("play button") << "Play" << false << true << false;
        QTest::newRow("two-state button") << "ExtendedButtom1" << false << true << false;
        QTest::newRow("disabled button") << "Compile" << true << true << false;
    }

    // Pressing the left button and moving drags the window by exactly the
    // pointer's movement, or leaves it where it is; moving the pointer off a
    // pressed button must not start dragging either.
    void dragSources()
    {
        QFETCH(QString, component);
        QFETCH(bool, unfolded);
        QFETCH(bool, hoverFirst);
        QFETCH(bool, drags);
        Form f;
        f.show();
        if (unfolded)
            f.child<QAbstractButton>(QStringLiteral("ExtendedButtom1"))->click();
        QWidget* target = component.isEmpty() ? &f.player : f.child(component);
        QVERIFY(target);
        // The background between FF and extendButton_.
        const QPoint local = component.isEmpty() ? QPoint(259, 100) : target->rect().center();
        QVERIFY(component.isEmpty() ? !f.player.childAt(local)
                                    : f.player.childAt(target->mapTo(&f.player, local)) == target);

        const QPoint start = f.player.pos();
        QPoint at = target->mapToGlobal(local);
        if (hoverFirst)
            pointer(target, QEvent::MouseMove, at - QPoint(3, 1), Qt::NoButton, Qt::NoButton);
        pointer(target, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        // The last steps leave the component: a button passes such moves on.
        for (const QPoint step : {QPoint(7, 5), QPoint(9, -2), QPoint(14, 20), QPoint(10, 10)}) {
            at += step;
            pointer(target, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
        }
        pointer(target, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(f.player.pos(), drags ? start + QPoint(40, 33) : start);
        QVERIFY(f.boxes.shown.isEmpty()); // nothing was clicked on the way
    }

    // A right click while dragging opens the menu; the pointer may travel far
    // while it is open, so the first move afterwards only takes the new place.
    void firstMoveAfterThePopupMenu()
    {
        Form f;
        f.show();
        auto* panel = f.child(QStringLiteral("Shape3"));
        const QPoint start = f.player.pos();
        QPoint at = panel->mapToGlobal(QPoint(100, 20));
        pointer(panel, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        {
            PopupWatch watch;
            pointer(panel, QEvent::MouseButtonPress, at, Qt::RightButton, Qt::LeftButton | Qt::RightButton);
            QVERIFY(watch.opened);
        }
        QCOMPARE(f.player.popupMenu()->dragging, 1);
        pointer(panel, QEvent::MouseButtonRelease, at, Qt::RightButton, Qt::LeftButton);
        at += QPoint(60, 40);
        pointer(panel, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
        QCOMPARE(f.player.pos(), start);
        QCOMPARE(f.player.popupMenu()->dragging, 0);
        at += QPoint(-4, 3);
        pointer(panel, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
        QCOMPARE(f.player.pos(), start + QPoint(-4, 3));
    }

    void rightClickOpensTheMenu_data()
    {
        QTest::addColumn<QString>("component");
        QTest::newRow("bare background") << "";
        QTest::newRow("play button") << "Play";
        QTest::newRow("power button") << "Power1";
        QTest::newRow("title plate") << "Image1";
        QTest::newRow("display panel") << "Shape3";
        QTest::newRow("lamp") << "REPEATImage1";
        QTest::newRow("digit") << "ClockDisp1";
        QTest::newRow("disabled button") << "GoSongEditer";
    }

    // Wherever it opens, it is the whole menu with its captions in order.
    void rightClickOpensTheMenu()
    {
        QFETCH(QString, component);
        Form f;
        f.show();
        f.child<QAbstractButton>(QStringLiteral("ExtendedButtom1"))->click();
        QWidget* target = component.isEmpty() ? &f.player : f.child(component);
        if (QLatin1String(QTest::currentDataTag()) == QLatin1String("disabled button"))
            target->setEnabled(false);
        const QPoint local = component.isEmpty() ? QPoint(259, 100) : target->rect().center();
        PopupWatch watch;
        pointer(target, QEvent::MouseButtonPress, target->mapToGlobal(local), Qt::RightButton,
                Qt::RightButton);
        QCOMPARE(watch.opened, static_cast<QMenu*>(f.player.popupMenu()));
        const QStringList expected = {
            "再生(&P)",     "停止(&S)", "巻き戻し(&R)",           "早送り(&F)",     "取出し(&E)",
            "モード(&M)",   "-",        "Words Editer(&W)",       "Set Rhythm(&H)", "Relate(&L)",
            "Words On(&O)", "-",        "ｳｨﾝﾄﾞｳを小さくする(&Z)", "最小化(&N)",     "ﾊﾞｰｼﾞｮﾝ情報",
            "終了(&Q)"};
        QCOMPARE(watch.captions, expected);
        QCOMPARE(f.player.popupMenu()->dragging, 1);
        QVERIFY(!f.player.state().showLengths);
        QVERIFY(f.child<QAbstractButton>(QStringLiteral("Power1"))->isChecked()); // nothing pressed
    }

    void modeItems_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("normal");
        QTest::addColumn<bool>("repeat");
        QTest::addColumn<bool>("random");
        QTest::newRow("normal") << "RMenuModeNormal" << 0 << true << false << false;
        QTest::newRow("one-track repeat") << "RMenuModeRepeat" << 1 << false << true << false;
        QTest::newRow("repeat all lights NORMAL and REPEAT")
            << "RMenuModeAllRepeat" << 2 << true << true << false;
        QTest::newRow("random lights RANDOM alone") << "RMenuModeRandom" << 3 << false << false << true;
    }

    // A mode item sets the mode, its lamps and its radio check; SetMode then
    // goes on from there.
    void modeItems()
    {
        QFETCH(QString, item);
        QFETCH(int, mode);
        QFETCH(bool, normal);
        QFETCH(bool, repeat);
        QFETCH(bool, random);
        Form f;
        f.item(mode == 3 ? "RMenuModeRepeat" : "RMenuModeRandom")->trigger(); // start elsewhere
        f.player.popupMenu()->item(item)->trigger();
        QCOMPARE(int(f.player.state().playMode), mode);
        QCOMPARE(f.lit("NORMALImage0"), normal);
        QCOMPARE(f.lit("REPEATImage0"), repeat);
        QCOMPARE(f.lit("RANDOMImage0"), random);
        for (QAction* a : f.player.popupMenu()->modeGroup()->actions())
            QCOMPARE(a->isChecked(), a->objectName() == item);
        f.child<QAbstractButton>(QStringLiteral("SetMode"))->click();
        QCOMPARE(int(f.player.state().playMode), (mode + 1) % 4);
        QVERIFY(f.player.popupMenu()->modeItem((mode + 1) % 4)->isChecked());
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
        auto* wordsOn = f.child<QAbstractButton>(QStringLiteral("WordsOn1"));
        for (const QString& c : clicks) {
            if (c == QLatin1String("button"))
                wordsOn->click();
            else
                f.item("RMenuWordsOn")->trigger();
            QCOMPARE(f.item("RMenuWordsOn")->isChecked(), wordsOn->isChecked());
        }
        QCOMPARE(wordsOn->isChecked(), down);
        QCOMPARE(f.player.wordsOnDown(), down);
        QCOMPARE(f.player.switchedOff, switchedOff);
    }

    void minimise_data()
    {
        QTest::addColumn<bool>("byButton");
        QTest::addColumn<QString>("minimisedTitle");
        QTest::newRow("by the button: the time in the title") << true << "OndelPlayer [02] 00:03";
        QTest::newRow("by the menu: the button stays up") << false << "OndelPlayer";
    }

    void minimise()
    {
        QFETCH(bool, byButton);
        QFETCH(QString, minimisedTitle);
        Form f(QStringLiteral("tracks=3,track=2"));
        f.show();
        f.child<QAbstractButton>(QStringLiteral("Play"))->click();
        f.clock.advance(3200);
        auto* button = f.child<QAbstractButton>(QStringLiteral("MinimizeButtom1"));
        if (byButton)
            button->click();
        else
            f.item("RMenuMinimize")->trigger();
        QVERIFY(f.player.isMinimized());
        QCOMPARE(button->isChecked(), byButton);
        f.player.onTick();
        QCOMPARE(f.player.windowTitle(), minimisedTitle);

        f.player.showNormal();
        QVERIFY(!button->isChecked());
        QCOMPARE(f.player.windowTitle(), QStringLiteral("OndelPlayer"));
    }

    void versionBox_data()
    {
        QTest::addColumn<bool>("fromMenu");
        QTest::newRow("title plate") << false;
        QTest::newRow("menu") << true;
    }

    void versionBox()
    {
        QFETCH(bool, fromMenu);
        Form f;
        f.show();
        if (fromMenu)
            f.item("RMenuVersion")->trigger();
        else
            QTest::mouseClick(f.child(QStringLiteral("Image1")), Qt::LeftButton);
        QCOMPARE(f.boxes.shown.size(), 1);
        const auto& box = f.boxes.shown.first();
        QCOMPARE(box.caption, QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
        QCOMPARE(box.icon, BoxIcon::Information);
        QCOMPARE(box.buttons, BoxButtons::Ok);
        QCOMPARE(box.text.section(QLatin1Char('\n'), 0, 0),
                 QStringLiteral("OndelPlayer Version " ONDEL_VERSION));
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
                player.popupMenu()->item(QStringLiteral("RMenuRelate"))->trigger();
            else
                player.findChild<QAbstractButton*>(QStringLiteral("Relation"))->click();
        }
        QCOMPARE(dialogs.scripted.titles.size(), answers.size());
        QVERIFY(!dialogs.enabledWhileOpen);
        QVERIFY(player.findChild<QWidget*>(QStringLiteral("Relation"))->isEnabled());
        QVERIFY(player.popupMenu()->item(QStringLiteral("RMenuRelate"))->isEnabled());
        QVERIFY(boxes.shown.isEmpty());
        auto key = settings.openKey(QStringLiteral("Software\\OndelPlayer\\RelationData\\[1a2b3c4d]"), false);
        QCOMPARE(key && key->readString(QStringLiteral("[3]")) ? *key->readString(QStringLiteral("[3]"))
                                                               : QString(),
                 stored);
    }

    // The compiler window keeps its button and menu item disabled while it lives.
    void compilerWindowComesAndGoes_data()
    {
        QTest::addColumn<bool>("fromMenu");
        QTest::newRow("button") << false;
        QTest::newRow("menu item") << true;
    }

    void compilerWindowComesAndGoes()
    {
        QFETCH(bool, fromMenu);
        Form f;
        f.show();
        if (fromMenu)
            f.item("RMenuSetRhythm")->trigger();
        else
            f.child<QAbstractButton>(QStringLiteral("Compile"))->click();
        QPointer<CompileWindow> compiler = f.player.compileWindow();
        QVERIFY(compiler);
        // No editor file and the script dialog cancelled: the window says so and stays empty.
        QCOMPARE(f.boxes.shown.size(), 1);
        QCOMPARE(f.boxes.shown[0].text, QStringLiteral("ソースファイルの読み込みに失敗しました。"));
        QVERIFY(!f.child(QStringLiteral("Compile"))->isEnabled());
        QVERIFY(!f.item("RMenuSetRhythm")->isEnabled());
        compiler->close();
        QVERIFY(!f.player.compileWindow());
        QVERIFY(f.child(QStringLiteral("Compile"))->isEnabled());
        QVERIFY(f.item("RMenuSetRhythm")->isEnabled());
        QTRY_VERIFY(!compiler); // destroyed once the close is done
    }

    void songEditerComesAndGoes_data()
    {
        QTest::addColumn<bool>("fromMenu");
        QTest::newRow("button") << false;
        QTest::newRow("menu item") << true;
    }

    // One editor at a time: its button and menu item stay disabled while it lives.
    void songEditerComesAndGoes()
    {
        QFETCH(bool, fromMenu);
        Form f;
        f.show();
        const auto open = [&] {
            if (fromMenu)
                f.item("RMenuRizuzAvodar")->trigger();
            else
                f.child<QAbstractButton>(QStringLiteral("GoSongEditer"))->click();
        };
        open();
        QPointer<ScriptEditorWindow> editor = f.player.scriptEditorWindow();
        QVERIFY(editor);
        QVERIFY(editor->isVisible());
        QCOMPARE(editor->windowTitle(), QStringLiteral("RizuzAvodar [New file]"));
        QVERIFY(!f.child(QStringLiteral("GoSongEditer"))->isEnabled());
        QVERIFY(!f.item("RMenuRizuzAvodar")->isEnabled());
        f.item("RMenuRizuzAvodar")->trigger();
        QCOMPARE(f.player.scriptEditorWindow(), editor.data());
        QVERIFY(editor->close());
        QVERIFY(!f.player.scriptEditorWindow());
        QVERIFY(f.child(QStringLiteral("GoSongEditer"))->isEnabled());
        QVERIFY(f.item("RMenuRizuzAvodar")->isEnabled());
        QTRY_VERIFY(!editor);
        open();
        QVERIFY(f.player.scriptEditorWindow());
    }

    // The compiler window takes up the script the editor opens and saves;
    // closing the editor empties the name but leaves the compiler its script.
    void compilerFollowsTheEditor()
    {
        QTemporaryDir dir;
        const QString script = dir.filePath(QStringLiteral("song.txt"));
        QFile file(script);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\x82\xa0\x82\xa2");
        file.close();
        Form f;
        f.show();
        f.item("RMenuSetRhythm")->trigger(); // no script yet: it says so
        f.item("RMenuRizuzAvodar")->trigger();
        ScriptEditorWindow* editor = f.player.scriptEditorWindow();
        f.dialogs.scripted.answers = {script};
        editor->openScript();
        QCOMPARE(f.player.editorFileName(), script);
        QCOMPARE(f.player.compileWindow()->compiler().sourceText(), QByteArray("\x82\xa0\x82\xa2"));
        editor->textEdit->moveCursor(QTextCursor::End);
        editor->textEdit->insertPlainText(QStringLiteral("う"));
        editor->save();
        QCOMPARE(f.player.compileWindow()->compiler().sourceText(), QByteArray("\x82\xa0\x82\xa2\x82\xa4"));
        QVERIFY(editor->close());
        QCOMPARE(f.player.editorFileName(), QString());
        QCOMPARE(f.player.compileWindow()->compiler().sourceText(), QByteArray("\x82\xa0\x82\xa2\x82\xa4"));
        f.player.compileWindow()->close();
    }

    void quittingWithUnsavedText_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("quits");
        QTest::newRow("No discards and quits") << int(BoxButton::No) << true;
        QTest::newRow("Yes, save dialog cancelled: editor and player stay") << int(BoxButton::Yes) << false;
    }

    // Quitting closes the editor first, which asks about unsaved text; a
    // save that did not happen keeps the program running.
    void quittingWithUnsavedText()
    {
        QFETCH(int, answer);
        QFETCH(bool, quits);
        Form f;
        f.show();
        f.child<QAbstractButton>(QStringLiteral("GoSongEditer"))->click();
        QPointer<ScriptEditorWindow> editor = f.player.scriptEditorWindow();
        editor->textEdit->setPlainText(QStringLiteral("unsaved"));
        f.boxes.answer(BoxButton(answer));
        f.player.onPowerClicked();
        QCOMPARE(f.boxes.shown.size(), 1);
        QCOMPARE(f.boxes.shown[0].text, QStringLiteral("テキストが変更されています。保存しますか？"));
        QCOMPARE(f.player.isVisible(), !quits);
        QCOMPARE(bool(f.player.scriptEditorWindow()), !quits);
        if (!quits) {
            QVERIFY(editor->isVisible());
            QCOMPARE(editor->textEdit->toPlainText(), QStringLiteral("unsaved"));
            f.boxes.answer(BoxButton::No);
            f.player.onPowerClicked();
            QVERIFY(!f.player.isVisible());
        }
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

        f.child<QAbstractButton>(QStringLiteral("Play"))->click();
        auto display = [] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (qobject_cast<LyricsWindow*>(w) && w->isVisible())
                    return w;
            return static_cast<QWidget*>(nullptr);
        };
        QVERIFY2(display(), qPrintable(f.boxes.shown.isEmpty() ? QString() : f.boxes.shown.last().text));
        QCOMPARE(display()->windowTitle(), QStringLiteral("Words display"));
        if (bySwitch)
            f.child<QAbstractButton>(QStringLiteral("WordsOn1"))->click();
        else
            f.child<QAbstractButton>(QStringLiteral("Stop"))->click();
        QTRY_VERIFY(!display());
    }
};

QTEST_MAIN(tst_PlayerForm)
#include "tst_PlayerForm.moc"
