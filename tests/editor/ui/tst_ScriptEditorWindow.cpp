#include "EditorRig.h"
#include "editor/CaretPreview.h"
#include "editor/ui/OneValueDialog.h"
#include "editor/ui/ScriptEditorWindow.h"
#include "editor/ui/TwoValueDialog.h"
#include "lyrics/ImageCanvas.h"
#include "lyrics/LyricDisplay.h"
#include "lyrics/LyricsWindowHost.h"
#include "platform/ShiftJis.h"

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <functional>

namespace {
namespace Names = ScriptEditorObjectNames;
namespace DialogNames = ParameterDialogObjectNames;

// The preview's display window without a screen: a picture that takes the
// size "formsize" asks for.
class PreviewDisplay final : public LyricsWindowHost, public LyricDisplay {
public:
    bool displayExists() const override { return shown_; }
    void showDisplay() override { shown_ = true; }
    TextCanvas* displayCanvas() override { return shown_ ? &canvas_ : nullptr; }
    LyricDisplay* display() override { return shown_ ? this : nullptr; }
    TextRect displayClientRect() const override
    {
        return {0, 0, canvas_.size().width(), canvas_.size().height()};
    }
    void destroyDisplay(bool) override { shown_ = false; }
    bool timingCaptureRunning() const override { return false; }
    void setClientSize(int width, int height) override { canvas_.resize(QSize(width, height)); }
    void clientResized() override {}

private:
    bool shown_ = false;
    ImageCanvas canvas_{QSize(320, 240)};
};

// The editor window with scripted dialogs and a recording main window.
struct Window {
    Window() : editor(host, boxes, &files, &colors)
    {
        editor.setPreviewWindows([](WordsSource&) {
            return std::unique_ptr<LyricsWindowHost>(std::make_unique<PreviewDisplay>());
        });
    }
    EditorRig::Host host;
    ScriptedMessageBoxes boxes;
    ScriptedFileDialogs files;
    EditorRig::Colors colors;
    ScriptEditorWindow editor;

    QAction* item(const QString& name) const { return editor.findChild<QAction*>(name); }
    QPlainTextEdit* edit() const { return editor.textEdit; }
    void selectAll() const { edit()->selectAll(); }
};

// Runs while the editor waits for a parameter dialog; what it finds goes
// into the fields.
struct DialogWatch {
    ParameterDialog* dialog = nullptr;
    bool editorEnabled = true;
    bool shown = false;
    QRect frame;
    QStringList labels;
    QList<QRect> edits;
};

void whileDialogOpen(Window& w, DialogWatch& watch, std::function<void(ParameterDialog*)> answer)
{
    QTimer::singleShot(0, &w.editor, [&w, &watch, answer] {
        ParameterDialog* d = w.editor.twoValueDialog
                                 ? static_cast<ParameterDialog*>(w.editor.twoValueDialog.data())
                                 : static_cast<ParameterDialog*>(w.editor.oneValueDialog.data());
        watch.dialog = d;
        if (!d)
            return;
        watch.shown = d->isVisible();
        watch.editorEnabled = w.editor.isEnabled();
        watch.frame = d->frameGeometry();
        for (QLabel* l : d->findChildren<QLabel*>())
            watch.labels << l->text();
        for (QLineEdit* e : d->findChildren<QLineEdit*>())
            watch.edits << e->geometry();
        // The answer comes later, while the editor waits in its own loop.
        QTimer::singleShot(60, d, [d, answer] { answer(d); });
    });
}

QLineEdit* field(ParameterDialog* d, const QString& name)
{
    return d->findChild<QLineEdit*>(name);
}

QPushButton* button(ParameterDialog* d, const QString& name)
{
    return d->findChild<QPushButton*>(name);
}
} // namespace

class tst_ScriptEditorWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        if (!ShiftJis::available())
            QSKIP("this Qt has no Shift-JIS codec");
    }

    void menu_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("items"); // objectName|caption|shortcut
        const auto item = [](QLatin1String name, const char* captionAndShortcut) {
            return QString(name) + QLatin1Char('|') + QString::fromUtf8(captionAndShortcut);
        };
        QTest::newRow("file") << QString(Names::fileMenu) << "ﾌｧｲﾙ(&F)"
                              << QStringList{item(Names::newItem, "新規作成(&N)|"),
                                             item(Names::openItem, "開く(&O)|"),
                                             item(Names::saveItem, "上書き保存(&S)|Ctrl+S"),
                                             item(Names::saveAsItem, "名前をつけて保存(&A)|")};
        QTest::newRow("edit") << QString(Names::editMenu) << "編集(&E)"
                              << QStringList{item(Names::cutItem, "切り取り(&T)|Ctrl+X"),
                                             item(Names::copyItem, "ｺﾋﾟｰ(&C)|Ctrl+C"),
                                             item(Names::pasteItem, "貼り付け(&P)|Ctrl+V"),
                                             item(Names::deleteItem, "削除(&D)|Ctrl+Del")};
        QTest::newRow("command") << QString(Names::commandMenu) << "命令(&C)"
                                 << QStringList{item(Names::formSizeItem, "ｳｨﾝﾄﾞｳｻｲｽﾞ(&W)|"),
                                                item(Names::backColorItem, "背景色(&B)|"),
                                                item(Names::fontSizeItem, "ﾌｫﾝﾄの大きさ(&S)|"),
                                                item(Names::fontColorItem, "ﾌｫﾝﾄの色(&L)|"),
                                                item(Names::fontPreColorItem, "先表示ﾌｫﾝﾄの色(&R)|"),
                                                item(Names::setCursorItem, "表示位置(&P)|"),
                                                item(Names::clearItem, "表示文字の消去(&C)|"),
                                                item(Names::pausePreItem, "先表示の一時停止(&T)|")};
    }

    // Captions and shortcuts as designed, in order at the top of each menu.
    void menu()
    {
        QFETCH(QString, menu);
        QFETCH(QString, title);
        QFETCH(QStringList, items);
        Window w;
        auto* m = w.editor.menuBar()->findChild<QMenu*>(menu);
        QVERIFY(m);
        QCOMPARE(m->title(), title);
        const QList<QAction*> actions = m->actions();
        for (qsizetype i = 0; i < items.size(); ++i) {
            const QStringList parts = items[i].split(QLatin1Char('|'));
            QCOMPARE(actions[i]->objectName(), parts[0]);
            QCOMPARE(actions[i]->text(), parts[1]);
            QCOMPARE(actions[i]->shortcut().toString(QKeySequence::PortableText), parts[2]);
        }
        if (menu == Names::editMenu)
            QCOMPARE(m->menuAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_E));
    }

    void startsUntitled()
    {
        Window w;
        w.editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.editor));
        QCOMPARE(w.editor.windowTitle(), QStringLiteral("RizuzAvodar [New file]"));
        QCOMPARE(w.editor.objectName(), QString(Names::window));
        QCOMPARE(w.edit()->objectName(), QString(Names::textEdit));
        QCOMPARE(w.edit()->lineWrapMode(), QPlainTextEdit::NoWrap);
        QVERIFY(!w.edit()->tabChangesFocus());
        QVERIFY(!w.editor.editor().modified());
        // Nothing was told to the main window by merely opening.
        QCOMPARE(w.host.editorFileName, QStringLiteral("(unset)"));
        QCOMPARE(w.host.reloads, 0);
    }

    void dialogLayout_data()
    {
        QTest::addColumn<int>("values");
        QTest::addColumn<QSize>("client");
        QTest::addColumn<QStringList>("components"); // objectName|x,y,w,h|text in tab order, labels last
        const auto part = [](QLatin1String name, const char* placeAndText) {
            return QString(name) + QLatin1Char('|') + QString::fromUtf8(placeAndText);
        };
        QTest::newRow("one value") << 1 << QSize(242, 69)
                                   << QStringList{part(DialogNames::firstEdit, "112,8,121,20|"),
                                                  part(DialogNames::okButton, "32,40,75,25|OK"),
                                                  part(DialogNames::cancelButton, "136,40,75,25|ｷｬﾝｾﾙ"),
                                                  part(DialogNames::firstLabel, "16,13|Label1")};
        QTest::newRow("two values") << 2 << QSize(242, 93)
                                    << QStringList{part(DialogNames::firstEdit, "112,8,121,20|"),
                                                   part(DialogNames::secondEdit, "112,32,121,20|"),
                                                   part(DialogNames::okButton, "32,64,75,25|OK"),
                                                   part(DialogNames::cancelButton, "136,64,75,25|ｷｬﾝｾﾙ"),
                                                   part(DialogNames::firstLabel, "16,13|Label1"),
                                                   part(DialogNames::secondLabel, "16,37|Label2")};
    }

    // Geometry, texts and tab order as designed; no button answers Enter.
    void dialogLayout()
    {
        QFETCH(int, values);
        QFETCH(QSize, client);
        QFETCH(QStringList, components);
        std::unique_ptr<ParameterDialog> d;
        if (values == 1)
            d = std::make_unique<OneValueDialog>();
        else
            d = std::make_unique<TwoValueDialog>();
        QCOMPARE(d->size(), client);
        QCOMPARE(d->minimumSize(), client);
        QCOMPARE(d->maximumSize(), client);
        QCOMPARE(d->windowTitle(), QStringLiteral("CommandPush%1").arg(values));
        QVERIFY(!(d->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(d->windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!d->accepted);
        QWidget* previous = nullptr;
        for (const QString& c : components) {
            const QStringList parts = c.split(QLatin1Char('|'));
            auto* widget = d->findChild<QWidget*>(parts[0]);
            QVERIFY2(widget, qPrintable(parts[0]));
            const QStringList r = parts[1].split(QLatin1Char(','));
            QCOMPARE(widget->pos(), QPoint(r[0].toInt(), r[1].toInt()));
            if (r.size() == 4)
                QCOMPARE(widget->size(), QSize(r[2].toInt(), r[3].toInt()));
            if (auto* b = qobject_cast<QPushButton*>(widget)) {
                QCOMPARE(b->text(), parts[2]);
                QVERIFY(!b->isDefault() && !b->autoDefault());
            }
            if (auto* l = qobject_cast<QLabel*>(widget))
                QCOMPARE(l->text(), parts[2]);
            if (qobject_cast<QLineEdit*>(widget) || qobject_cast<QPushButton*>(widget)) {
                if (previous)
                    QCOMPARE(previous->nextInFocusChain(), widget);
                previous = widget;
            }
        }
    }

    void parameterProtocol_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("answer"); // ok, cancel, close, enter-then-ok, escape-then-cancel
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QString>("inserted");
        QTest::addColumn<QStringList>("labels");
        QTest::addColumn<QString>("caption");
        const QStringList sizeLabels{"幅", "高さ"};
        QTest::newRow("window size, both fields empty")
            << QString(Names::formSizeItem) << "ok" << QStringList{"", ""} << "[/formsize(,)]" << sizeLabels
            << "ウィンドウサイズを指定";
        QTest::newRow("position, spaces kept")
            << QString(Names::setCursorItem) << "ok" << QStringList{" 1", "2 "} << "[/setcursor( 1,2 )]"
            << QStringList{"ｘ（横）軸", "ｙ（縦）軸"} << "表示位置を指定";
        QTest::newRow("font size") << QString(Names::fontSizeItem) << "ok" << QStringList{"36"}
                                   << "[/fontsize(36)]" << QStringList{"フォントの大きさ（ポイント）"}
                                   << "フォントサイズを指定";
        QTest::newRow("Cancel") << QString(Names::formSizeItem) << "cancel" << QStringList{"640", "480"} << ""
                                << sizeLabels << "ウィンドウサイズを指定";
        QTest::newRow("close box answers like Cancel")
            << QString(Names::fontSizeItem) << "close" << QStringList{"12"} << ""
            << QStringList{"フォントの大きさ（ポイント）"} << "フォントサイズを指定";
        QTest::newRow("Enter does not answer")
            << QString(Names::formSizeItem) << "enter-then-ok" << QStringList{"1", "2"} << "[/formsize(1,2)]"
            << sizeLabels << "ウィンドウサイズを指定";
        QTest::newRow("Escape does not answer")
            << QString(Names::fontSizeItem) << "escape-then-cancel" << QStringList{"9"} << ""
            << QStringList{"フォントの大きさ（ポイント）"} << "フォントサイズを指定";
    }

    // The editor is disabled while it waits, the rest of the program runs
    // on, and the answer is inserted over the selection through the clipboard.
    void parameterProtocol()
    {
        QFETCH(QString, command);
        QFETCH(QString, answer);
        QFETCH(QStringList, typed);
        QFETCH(QString, inserted);
        QFETCH(QStringList, labels);
        QFETCH(QString, caption);
        Window w;
        w.editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.editor));
        w.edit()->setPlainText(QStringLiteral("abc"));
        QTextCursor cursor = w.edit()->textCursor();
        cursor.setPosition(1);
        cursor.setPosition(2, QTextCursor::KeepAnchor);
        w.edit()->setTextCursor(cursor);
        QGuiApplication::clipboard()->setText(QStringLiteral("kept"));

        int ticks = 0;
        QTimer player;
        connect(&player, &QTimer::timeout, [&ticks] { ++ticks; });
        player.start(5);
        DialogWatch watch;
        bool stillWaitingAfterKey = false;
        QString title;
        whileDialogOpen(w, watch, [&](ParameterDialog* d) {
            title = d->windowTitle();
            const QList<QLatin1String> names{DialogNames::firstEdit, DialogNames::secondEdit};
            for (qsizetype i = 0; i < typed.size(); ++i)
                field(d, names[i])->setText(typed[i]);
            if (answer.startsWith(QLatin1String("enter")) || answer.startsWith(QLatin1String("escape"))) {
                QTest::keyClick(field(d, DialogNames::firstEdit),
                                answer.startsWith(QLatin1String("enter")) ? Qt::Key_Return : Qt::Key_Escape);
                QTest::qWait(10);
                stillWaitingAfterKey = d->isVisible() && !w.editor.isEnabled();
            }
            if (answer.endsWith(QLatin1String("ok")))
                button(d, DialogNames::okButton)->click();
            else if (answer.endsWith(QLatin1String("cancel")))
                button(d, DialogNames::cancelButton)->click();
            else
                d->close();
        });
        QVERIFY(w.item(command));
        w.item(command)->trigger();

        QVERIFY(watch.shown);
        QVERIFY(!watch.editorEnabled);
        QCOMPARE(title, caption);
        QCOMPARE(watch.labels, labels);
        if (answer.contains(QLatin1String("-then-")))
            QVERIFY(stillWaitingAfterKey);
        QVERIFY(ticks > 2);
        if (labels.size() == 1)
            QCOMPARE(watch.edits.first(), QRect(168, 8, 65, 20));
        // Centred on the editor, outer sizes against outer sizes.
        const QRect outer = w.editor.frameGeometry();
        QVERIFY(qAbs(watch.frame.center().x() - outer.center().x()) <= 1);
        QVERIFY(qAbs(watch.frame.center().y() - outer.center().y()) <= 1);

        QVERIFY(w.editor.isEnabled());
        QVERIFY(!w.editor.oneValueDialog && !w.editor.twoValueDialog);
        QCOMPARE(w.edit()->toPlainText(),
                 inserted.isEmpty() ? QStringLiteral("abc") : QStringLiteral("a") + inserted + 'c');
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 inserted.isEmpty() ? QStringLiteral("kept") : inserted);
    }

    // The editor does not close under a dialog it waits for.
    void noCloseWhileWaiting()
    {
        Window w;
        w.editor.show();
        DialogWatch watch;
        bool closed = true;
        whileDialogOpen(w, watch, [&](ParameterDialog* d) {
            closed = w.editor.close();
            button(d, DialogNames::cancelButton)->click();
        });
        w.editor.insertFontSize();
        QVERIFY(!closed);
        QCOMPARE(w.host.closed, 0);
        QVERIFY(w.editor.close());
        QCOMPARE(w.host.closed, 1);
    }

    // Open, type (Enter included), insert through the command menu, save:
    // the file holds exactly the expected bytes, and what was not touched
    // comes back as it was.
    void editedScriptSavesExactBytes()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("song.txt"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("\x89\xcc\nx\0\xff\r\n", 8));
        file.close();
        Window w;
        w.editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.editor));
        w.files.answers = {path};
        w.item(Names::openItem)->trigger();
        QCOMPARE(w.editor.windowTitle(), QStringLiteral("RizuzAvodar [%1]").arg(path));
        w.edit()->setFocus();
        w.edit()->moveCursor(QTextCursor::End);
        QTest::keyClicks(w.edit(), QStringLiteral("ab"));
        QTest::keyClick(w.edit(), Qt::Key_Return);
        w.item(Names::clearItem)->trigger();
        QVERIFY(w.editor.editor().modified());
        w.item(Names::saveItem)->trigger();
        QVERIFY(w.boxes.shown.isEmpty());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("\x89\xcc\nx\0\xff\r\nab\r\n[/clear]", 20));
        QVERIFY(!w.editor.editor().modified());
        QCOMPARE(w.host.editorFileName, path);
        // Colouring and underlining after the live check are no change of the text.
        w.editor.checkNow();
        QTest::qWait(400);
        QVERIFY(!w.editor.editor().modified());
    }

    // Ctrl+Delete is the menu's "delete the selection", not the edit
    // control's "delete the next word".
    void ctrlDeleteDeletesTheSelection()
    {
        Window w;
        w.editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.editor));
        w.editor.activateWindow();
        w.edit()->setFocus();
        w.edit()->setPlainText(QStringLiteral("one two three"));
        w.edit()->moveCursor(QTextCursor::Start);
        QTest::keyClick(w.edit(), Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(w.edit()->toPlainText(), QStringLiteral("one two three"));
        QTextCursor cursor = w.edit()->textCursor();
        cursor.setPosition(4);
        cursor.setPosition(8, QTextCursor::KeepAnchor);
        w.edit()->setTextCursor(cursor);
        QTest::keyClick(w.edit(), Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(w.edit()->toPlainText(), QStringLiteral("one three"));
    }

    void liveCheck_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("problem");
        QTest::addColumn<int>("underlineStart");
        QTest::newRow("sound script") << "[/fontsize(12)]あい\n[歌詞]う"
                                      << "" << -1;
        QTest::newRow("empty argument")
            << "あ\n  [/fontsize]い"
            << "2 行 3 桁: 文法に誤りがあります。 引数が整数ではありません。" << 4;
        QTest::newRow("unknown command")
            << "[/FontSize(12)]"
            << "1 行 1 桁: 文法に誤りがあります。 存在しない命令があります。" << 0;
        QTest::newRow("group without its bracket")
            << "あい[うえ\nお"
            << "1 行 3 桁: 文法に誤りがあります。 ] がありません。" << 2;
        QTest::newRow("missing argument") << "[/formsize(640)]"
                                          << "1 行 1 桁: 文法に誤りがあります。 引数が足りません" << 0;
        QTest::newRow("character Shift-JIS lacks") << "ok €"
                                                   << "1 行 4 桁: Shift-JIS で書けない文字があります。" << 3;
    }

    // The first place a compile would stop is named in the status bar with
    // the compiler's own message and underlined.
    void liveCheck()
    {
        QFETCH(QString, text);
        QFETCH(QString, problem);
        QFETCH(int, underlineStart);
        Window w;
        w.edit()->setPlainText(text);
        w.editor.checkNow();
        QCOMPARE(w.editor.problemText(), problem);
        const QTextBlock block = w.edit()->document()->findBlock(qMax(0, underlineStart));
        bool underlined = false;
        for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
            if (range.format.underlineStyle() == QTextCharFormat::WaveUnderline &&
                range.start == underlineStart - block.position())
                underlined = true;
        }
        QCOMPARE(underlined, underlineStart >= 0);
    }

    void preview_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("caret");
        QTest::addColumn<int>("reached");
        QTest::addColumn<QSize>("client");
        const QString sized = QStringLiteral("[/formsize(200,120)]あい\nう");
        QTest::newRow("caret before the first piece") << sized << 0 << 0 << QSize(200, 120);
        QTest::newRow("caret inside the commands") << sized << 5 << 0 << QSize(200, 120);
        QTest::newRow("caret behind the first piece") << sized << 21 << 1 << QSize(200, 120);
        QTest::newRow("line break belongs to the piece before it") << sized << 23 << 2 << QSize(200, 120);
        QTest::newRow("caret at the end") << sized << 24 << 3 << QSize(200, 120);
        QTest::newRow("stops at a syntax error") << "あい[/FontSize(1)]う" << 17 << 2 << QSize();
    }

    // F5 shows the display window's picture with the pieces before the caret reached.
    void preview()
    {
        QFETCH(QString, text);
        QFETCH(int, caret);
        QFETCH(int, reached);
        QFETCH(QSize, client);
        Window w;
        w.edit()->setPlainText(text);
        QTextCursor cursor = w.edit()->textCursor();
        cursor.setPosition(caret);
        w.edit()->setTextCursor(cursor);
        w.item(Names::previewItem)->trigger();
        QVERIFY(w.editor.preview());
        QVERIFY(w.editor.preview()->window().displayExists());
        QCOMPARE(w.editor.preview()->reached(), reached);
        if (client.isValid())
            QCOMPARE(w.editor.preview()->window().displayClientRect(),
                     (TextRect{0, 0, client.width(), client.height()}));
        QCOMPARE(w.item(Names::previewItem)->shortcut(), QKeySequence(Qt::Key_F5));
    }

    void caretPosition()
    {
        Window w;
        w.edit()->setPlainText(QStringLiteral("あい\nx\u2882y"));
        QTextCursor cursor = w.edit()->textCursor();
        cursor.setPosition(4);
        w.edit()->setTextCursor(cursor);
        QCOMPARE(w.editor.caretText(), QStringLiteral("2 行 2 桁  (0x82)"));
        cursor.setPosition(1);
        w.edit()->setTextCursor(cursor);
        QCOMPARE(w.editor.caretText(), QStringLiteral("1 行 2 桁"));
    }
};

QTEST_MAIN(tst_ScriptEditorWindow)
#include "tst_ScriptEditorWindow.moc"
