#include "MainWindowFixture.h"
#include "MainWindowRigs.h"
#include "RecordingDevice.h"
#include "SampleDwd.h"
#include "ScriptedFileDialogs.h"
#include "ScriptedMessageBoxes.h"
#include "TempSettingsHome.h"
#include "UniqueDisc.h"
#include "app/AppIcon.h"
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
#include "window/SkinLayout.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>

using namespace PlayerObjectNames;

namespace {
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

class tst_PlayerWindowControls : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startsAsDesigned()
    {
        Form f;
        QVERIFY(f.player.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(f.player.size(), QSize(306, 130));
        QVERIFY(f.child<QAbstractButton>(Main::PowerButton)->isChecked());
        QVERIFY(f.child<QAbstractButton>(Main::LyricsButton)->isChecked());
        QVERIFY(!f.child<QAbstractButton>(Main::ExtendButton)->isChecked());
        QVERIFY(f.child(Main::EditorButton)->isEnabled());
        QVERIFY(f.child(Main::CompileButton)->isEnabled());
        QVERIFY(f.child(Main::RelationButton)->isEnabled());
        QVERIFY(f.item(Menu::SetRhythm)->isEnabled());
        QVERIFY(f.item(Menu::ScriptEditor)->isEnabled());
        QVERIFY(f.item(Menu::MiniMode)->isEnabled());
        QVERIFY(!f.item(Menu::MiniMode)->isChecked());
        // Every button shows a skin picture, never an empty face.
        for (auto* b : f.player.findChildren<PictureButton*>())
            QVERIFY2(!b->picture(PictureButton::Picture::Up).isNull(), qPrintable(b->objectName()));
    }

    // The bottom edge lies over the side edges, wherever it is moved.
    void bottomEdgeOnTop()
    {
        Form f;
        const QObjectList children = f.player.children();
        const auto index = [&](QLatin1String name) { return children.indexOf(f.child(name)); };
        QVERIFY(index(Main::BottomEdge) > index(Main::LeftEdge));
        QVERIFY(index(Main::BottomEdge) > index(Main::RightEdge));
        QVERIFY(index(Main::TitlePlate) < index(Main::PowerButton));
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
        auto* extend = f.child<QAbstractButton>(Main::ExtendButton);
        for (int i = 0; i < presses; ++i)
            QTest::mouseClick(extend, Qt::LeftButton);
        QCOMPARE(f.player.size(), QSize(306, height));
        QCOMPARE(f.player.pos(), place);
        QCOMPARE(f.player.mask(), QRegion(0, 0, 306, height));
        QCOMPARE(f.child(Main::BottomEdge)->geometry(), QRect(0, height - 5, 306, 5));
        for (QLatin1String name : {Main::EditorButton, Main::CompileButton, Main::RelationButton})
            QCOMPARE(f.child(name)->focusPolicy() == Qt::TabFocus, rowTabStops);
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
            f.child<QAbstractButton>(Main::ExtendButton)->click();
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
        auto* panel = f.child(Main::DisplayPanel);
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
        f.child<QAbstractButton>(Main::ExtendButton)->click();
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
        QVERIFY(f.child<QAbstractButton>(Main::PowerButton)->isChecked()); // nothing pressed
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
        f.item(mode == 3 ? Menu::ModeRepeat : Menu::ModeRandom)->trigger(); // start elsewhere
        f.player.popupMenu()->item(item)->trigger();
        QCOMPARE(int(f.player.state().playMode), mode);
        QCOMPARE(f.lit(Main::NormalLampLit), normal);
        QCOMPARE(f.lit(Main::RepeatLampLit), repeat);
        QCOMPARE(f.lit(Main::RandomLampLit), random);
        for (QAction* a : f.player.popupMenu()->modeGroup()->actions())
            QCOMPARE(a->isChecked(), a->objectName() == item);
        f.child<QAbstractButton>(Main::ModeButton)->click();
        QCOMPARE(int(f.player.state().playMode), (mode + 1) % 4);
        QVERIFY(f.player.popupMenu()->modeItem((mode + 1) % 4)->isChecked());
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
        f.child<QAbstractButton>(Main::PlayButton)->click();
        f.clock.advance(3200);
        auto* button = f.child<QAbstractButton>(Main::MinimizeButton);
        if (byButton)
            button->click();
        else
            f.item(Menu::Minimize)->trigger();
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
            f.item(Menu::Version)->trigger();
        else
            QTest::mouseClick(f.child(Main::TitlePlate), Qt::LeftButton);
        QCOMPARE(f.boxes.shown.size(), 1);
        const auto& box = f.boxes.shown.first();
        QCOMPARE(box.caption, QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
        QCOMPARE(box.icon, BoxIcon::Information);
        QCOMPARE(box.buttons, BoxButtons::Ok);
        QCOMPARE(box.text.section(QLatin1Char('\n'), 0, 0),
                 QStringLiteral("OndelPlayer Version " ONDEL_VERSION));
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
            f.item(Menu::SetRhythm)->trigger();
        else
            f.child<QAbstractButton>(Main::CompileButton)->click();
        QPointer<CompileWindow> compiler = f.player.compileWindow();
        QVERIFY(compiler);
        // No editor file and the script dialog cancelled: the window says so and stays empty.
        QCOMPARE(f.boxes.shown.size(), 1);
        QCOMPARE(f.boxes.shown[0].text, QStringLiteral("ソースファイルの読み込みに失敗しました。"));
        QVERIFY(!f.child(Main::CompileButton)->isEnabled());
        QVERIFY(!f.item(Menu::SetRhythm)->isEnabled());
        compiler->close();
        QVERIFY(!f.player.compileWindow());
        QVERIFY(f.child(Main::CompileButton)->isEnabled());
        QVERIFY(f.item(Menu::SetRhythm)->isEnabled());
        QTRY_VERIFY(!compiler); // destroyed once the close is done
    }

    void scriptEditorComesAndGoes_data()
    {
        QTest::addColumn<bool>("fromMenu");
        QTest::newRow("button") << false;
        QTest::newRow("menu item") << true;
    }

    // One editor at a time: its button and menu item stay disabled while it lives.
    void scriptEditorComesAndGoes()
    {
        QFETCH(bool, fromMenu);
        Form f;
        f.show();
        const auto open = [&] {
            if (fromMenu)
                f.item(Menu::ScriptEditor)->trigger();
            else
                f.child<QAbstractButton>(Main::EditorButton)->click();
        };
        open();
        QPointer<ScriptEditorWindow> editor = f.player.scriptEditorWindow();
        QVERIFY(editor);
        QVERIFY(editor->isVisible());
        QCOMPARE(editor->windowTitle(), QStringLiteral("RizuzAvodar [New file]"));
        QVERIFY(!f.child(Main::EditorButton)->isEnabled());
        QVERIFY(!f.item(Menu::ScriptEditor)->isEnabled());
        f.item(Menu::ScriptEditor)->trigger();
        QCOMPARE(f.player.scriptEditorWindow(), editor.data());
        QVERIFY(editor->close());
        QVERIFY(!f.player.scriptEditorWindow());
        QVERIFY(f.child(Main::EditorButton)->isEnabled());
        QVERIFY(f.item(Menu::ScriptEditor)->isEnabled());
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
        f.item(Menu::SetRhythm)->trigger(); // no script yet: it says so
        f.item(Menu::ScriptEditor)->trigger();
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
        f.child<QAbstractButton>(Main::EditorButton)->click();
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
        Live<QtMessageBoxes> p(QStringLiteral("tracks=3"));
        p.showActive();
        QTest::mouseClick(p.button(Main::ExtendButton), Qt::LeftButton);
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
            p.button(Main::CompileButton)->setFocus(Qt::TabFocusReason);
            QTest::mouseClick(p.button(Main::ExtendButton), Qt::LeftButton);
        }
        QTRY_VERIFY(QApplication::focusWidget());
        QWidget* focused = QApplication::focusWidget();
        const QRect shown = p.player.mask().boundingRect();
        QVERIFY2(focused == &p.player ||
                     (focused->isVisible() &&
                      shown.contains(QRect(focused->mapTo(&p.player, QPoint(0, 0)), focused->size()))),
                 qPrintable(focused->objectName()));
        QVERIFY2(focused != p.button(Main::CompileButton), "focus on the compiler's button");
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
        Live<ScriptedMessageBoxes> p(QStringLiteral("tracks=3,length=0:30,speed=4"));
        p.showActive();
        QTest::mouseClick(p.button(Main::PlayButton), Qt::LeftButton);
        QTest::mouseClick(p.button(Main::MinimizeButton), Qt::LeftButton);
        QTRY_VERIFY(p.player.windowTitle().startsWith(QLatin1String("OndelPlayer [01] 00:0")));
        QTRY_VERIFY(p.player.windowTitle() != QLatin1String("OndelPlayer [01] 00:00"));
        if (secondClick)
            QTest::mouseClick(p.button(Main::MinimizeButton), Qt::LeftButton);
        else
            QTest::mouseClick(p.button(Main::StopButton), Qt::LeftButton);
        QTRY_COMPARE(p.player.windowTitle(), title);
        QTest::qWait(300); // and it stays so while the disc would play on
        QCOMPARE(p.player.windowTitle(), title);
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
        Live<ScriptedMessageBoxes> p(QStringLiteral("tracks=3"));
        p.showActive();
        if (playingFirst) {
            QTest::mouseClick(p.button(Main::PlayButton), Qt::LeftButton);
            QTRY_VERIFY(!p.button(Main::PlayButton)->isEnabled());
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
            QVERIFY(!p.button(Main::LyricsButton)->isChecked());
        else if (expect == QLatin1String("menu"))
            QCOMPARE(opened, p.player.popupMenu());
        else if (expect == QLatin1String("closed"))
            QVERIFY(!p.player.isVisible());
    }

    // A screen reader finds every button by name and reads the display.
    void accessibleNames()
    {
        Live<ScriptedMessageBoxes> p(QStringLiteral("tracks=3"));
        p.showActive();
        for (const char* name : {"Play", "Stop", "Eject", "Mode", "Previous track", "Next track", "Quit"}) {
            bool found = false;
            for (auto* b : p.player.findChildren<PictureButton*>())
                found = found || QAccessible::queryAccessibleInterface(b)->text(QAccessible::Name) ==
                                     QLatin1String(name);
            QVERIFY2(found, name);
        }
        for (auto* b : p.player.findChildren<PictureButton*>())
            QVERIFY2(!b->toolTip().isEmpty(), qPrintable(b->objectName()));
        QTRY_COMPARE(QAccessible::queryAccessibleInterface(p.child(Main::DisplayPanel))
                         ->text(QAccessible::Description),
                     QStringLiteral("[01] 00:00, NORMAL"));
    }

    // Every part of the skin is built; every control lies inside the client
    // area; no two buttons share a pixel, so a press always reaches
    // the one under the pointer; the display's pieces lie on its panel.
    void layoutHolds()
    {
        Window w;
        w.child<QAbstractButton>(Main::ExtendButton)->click();
        const QRect client = w.player.rect();
        const QRect panel = SkinLayout::rect(Main::DisplayPanel);
        QList<QRect> buttons;
        for (const SkinLayout::Component& c : SkinLayout::components()) {
            auto* widget = w.child(c.name);
            QVERIFY2(widget, qPrintable(c.name));
            // Edges and frames may reach under the clip; every control is inside it.
            if (c.kind != SkinLayout::Kind::Picture)
                QVERIFY2(client.contains(widget->geometry()), qPrintable(c.name));
            switch (c.kind) {
            case SkinLayout::Kind::Button:
            case SkinLayout::Kind::ToggleButton:
                for (const QRect& other : buttons)
                    QVERIFY2(!other.intersects(widget->geometry()), qPrintable(c.name));
                buttons << widget->geometry();
                break;
            case SkinLayout::Kind::Lamp:
            case SkinLayout::Kind::Digit:
            case SkinLayout::Kind::Dot:
                QCOMPARE(widget->geometry(), c.rect);
                QVERIFY2(panel.contains(c.rect), qPrintable(c.name));
                break;
            default:
                break;
            }
        }
    }

    // The digits sit above the panel and the lit lamps above the dim ones.
    void stacking()
    {
        Window w(QStringLiteral("tracks=3"));
        const QObjectList children = w.player.children();
        const auto index = [&](QLatin1String name) {
            return children.indexOf(w.player.findChild<QObject*>(name));
        };
        QVERIFY(index(Main::DisplayPanel) < index(Main::Digits[0]));
        QVERIFY(index(Main::DisplayPanel) < index(Main::UpperColonDot));
        QVERIFY(index(Main::NormalLamp) < index(Main::NormalLampLit));
        QVERIFY(index(Main::RandomLamp) < index(Main::RandomLampLit));
    }

    void setModeLamps_data()
    {
        QTest::addColumn<int>("presses");
        QTest::addColumn<QString>("checkedItem");
        QTest::addColumn<bool>("normal");
        QTest::addColumn<bool>("repeat");
        QTest::addColumn<bool>("random");
        QTest::newRow("once: one-track repeat") << 1 << "RMenuModeRepeat" << false << true << false;
        QTest::newRow("twice: repeat all lights NORMAL and REPEAT")
            << 2 << "RMenuModeAllRepeat" << true << true << false;
        QTest::newRow("three times: random") << 3 << "RMenuModeRandom" << false << false << true;
        QTest::newRow("four times: back to normal") << 4 << "RMenuModeNormal" << true << false << false;
    }

    void setModeLamps()
    {
        QFETCH(int, presses);
        QFETCH(QString, checkedItem);
        QFETCH(bool, normal);
        QFETCH(bool, repeat);
        QFETCH(bool, random);

        Window w(QStringLiteral("tracks=3"));
        auto* setMode = w.player.findChild<QAbstractButton*>(Main::ModeButton);
        for (int i = 0; i < presses; ++i)
            setMode->click();
        QCOMPARE(w.lit(Main::NormalLampLit), normal);
        QCOMPARE(w.lit(Main::RepeatLampLit), repeat);
        QCOMPARE(w.lit(Main::RandomLampLit), random);
        for (const char* item :
             {"RMenuModeNormal", "RMenuModeRepeat", "RMenuModeAllRepeat", "RMenuModeRandom"})
            QCOMPARE(w.player.findChild<QAction*>(QLatin1String(item))->isChecked(),
                     checkedItem == QLatin1String(item));
    }

    void builtInDrawingAtTheThemeSizes_data()
    {
        QTest::addColumn<int>("size");
        for (int size : {16, 22, 24, 32, 48, 64, 128})
            QTest::newRow(qPrintable(QStringLiteral("%1 px").arg(size))) << size;
    }

    // Without an installed icon theme entry the windows still get the
    // drawing, sharp at every size a task bar or switcher may ask for.
    void builtInDrawingAtTheThemeSizes()
    {
        QFETCH(int, size);
        const QIcon icon = AppIcon::builtIn();
        QVERIFY(icon.availableSizes().contains(QSize(size, size)));
        const QImage image = icon.pixmap(size, size).toImage();
        QCOMPARE(image.size(), QSize(size, size));
        QCOMPARE(qAlpha(image.pixel(size / 2, size * 4 / 10)), 255);
        QCOMPARE(qAlpha(image.pixel(0, size - 1)), 0);
    }
};

QTEST_MAIN(tst_PlayerWindowControls)
#include "tst_PlayerWindowControls.moc"
