#include "ScriptEditorWindow.h"

#include "editor/ScriptCheck.h"
#include "editor/ScriptHighlighter.h"
#include "editor/ScriptText.h"
#include "editor/ui/FindReplaceDialog.h"
#include "editor/ui/OneValueDialog.h"
#include "editor/ui/TwoValueDialog.h"
#include "platform/widgets/QtClipboard.h"
#include "platform/widgets/QtColorDialogs.h"
#include "platform/widgets/QtFileDialogs.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTextBlock>
#include <QTimer>
#include <QWindow>

namespace {
namespace Names = ScriptEditorObjectNames;

// The live check runs once typing pauses this long.
constexpr int CheckDelayMs = 300;

// The menu's own shortcuts, which the edit control must not take first.
bool isMenuShortcut(const QKeyEvent& event)
{
    const QKeySequence pressed(event.modifiers() | event.key());
    return pressed == QKeySequence(Qt::CTRL | Qt::Key_Delete) ||
           pressed == QKeySequence(Qt::CTRL | Qt::Key_E);
}
} // namespace

ScriptEditorWindow::ScriptEditorWindow(ScriptEditorHost& host, MessageBoxes& boxes, FileDialogs* fileDialogs,
                                       ColorDialogs* colorDialogs, QWidget* parent)
    : QMainWindow(parent), ownFileDialogs_(fileDialogs ? nullptr : std::make_unique<QtFileDialogs>(this)),
      ownColorDialogs_(colorDialogs ? nullptr : std::make_unique<QtColorDialogs>(this)),
      clipboard_(std::make_unique<QtClipboard>()),
      editor_(*this, host, fileDialogs ? *fileDialogs : *ownFileDialogs_,
              colorDialogs ? *colorDialogs : *ownColorDialogs_, boxes, *clipboard_)
{
    setObjectName(Names::window);
    QFont formFont(QStringLiteral("ＭＳ Ｐゴシック"));
    formFont.setPixelSize(12);
    setFont(formFont);

    textEdit = new QPlainTextEdit(this);
    textEdit->setObjectName(Names::textEdit);
    textEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
    textEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    textEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    textEdit->setTabChangesFocus(false);
    textEdit->installEventFilter(this);
    // Line ends are part of the lyrics (they move the display down): show them.
    QTextOption option = textEdit->document()->defaultTextOption();
    option.setFlags(option.flags() | QTextOption::ShowLineAndParagraphSeparators);
    textEdit->document()->setDefaultTextOption(option);
    setCentralWidget(textEdit);
    highlighter_ = new ScriptHighlighter(textEdit->document());

    problemLabel_ = new QLabel(this);
    problemLabel_->setObjectName(Names::problemText);
    caretLabel_ = new QLabel(this);
    caretLabel_->setObjectName(Names::caretText);
    statusBar()->addWidget(problemLabel_, 1);
    statusBar()->addPermanentWidget(caretLabel_);
    statusBar()->setSizeGripEnabled(false);

    checkTimer_ = new QTimer(this);
    checkTimer_->setSingleShot(true);
    checkTimer_->setInterval(CheckDelayMs);
    connect(checkTimer_, &QTimer::timeout, this, &ScriptEditorWindow::checkNow);
    connect(textEdit, &QPlainTextEdit::textChanged, this, &ScriptEditorWindow::onTextChanged);
    connect(textEdit, &QPlainTextEdit::cursorPositionChanged, this, &ScriptEditorWindow::showCaret);

    createMenu();
    setWindowTitle(editor_.caption());
    resize(OuterWidth, OuterHeight);
    showCaret();
}

ScriptEditorWindow::~ScriptEditorWindow()
{
    // The highlighter must not colour a document that is going.
    delete highlighter_;
}

QAction* ScriptEditorWindow::addItem(QMenu* menu, QLatin1String name, const QString& caption,
                                     void (ScriptEditorWindow::*handler)(), const QKeySequence& shortcut)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, handler);
    return action;
}

void ScriptEditorWindow::createMenu()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(Names::menuBar);

    QMenu* file = bar->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    file->setObjectName(Names::fileMenu);
    addItem(file, Names::newItem, QStringLiteral("新規作成(&N)"), &ScriptEditorWindow::newScript);
    addItem(file, Names::openItem, QStringLiteral("開く(&O)"), &ScriptEditorWindow::openScript);
    addItem(file, Names::saveItem, QStringLiteral("上書き保存(&S)"), &ScriptEditorWindow::save,
            Qt::CTRL | Qt::Key_S);
    addItem(file, Names::saveAsItem, QStringLiteral("名前をつけて保存(&A)"), &ScriptEditorWindow::saveAs);

    QMenu* edit = bar->addMenu(QStringLiteral("編集(&E)"));
    edit->setObjectName(Names::editMenu);
    // The header carries Ctrl+E; it runs no command.
    edit->menuAction()->setShortcut(Qt::CTRL | Qt::Key_E);
    addItem(edit, Names::cutItem, QStringLiteral("切り取り(&T)"), &ScriptEditorWindow::cut,
            Qt::CTRL | Qt::Key_X);
    addItem(edit, Names::copyItem, QStringLiteral("ｺﾋﾟｰ(&C)"), &ScriptEditorWindow::copy,
            Qt::CTRL | Qt::Key_C);
    addItem(edit, Names::pasteItem, QStringLiteral("貼り付け(&P)"), &ScriptEditorWindow::pasteClipboard,
            Qt::CTRL | Qt::Key_V);
    addItem(edit, Names::deleteItem, QStringLiteral("削除(&D)"), &ScriptEditorWindow::deleteSelection,
            Qt::CTRL | Qt::Key_Delete);
    edit->addSeparator();
    QAction* undo = edit->addAction(QStringLiteral("元に戻す(&U)"), textEdit, &QPlainTextEdit::undo);
    undo->setObjectName(Names::undoItem);
    undo->setShortcut(QKeySequence::Undo);
    undo->setEnabled(false);
    connect(textEdit, &QPlainTextEdit::undoAvailable, undo, &QAction::setEnabled);
    QAction* redo = edit->addAction(QStringLiteral("やり直し(&R)"), textEdit, &QPlainTextEdit::redo);
    redo->setObjectName(Names::redoItem);
    redo->setShortcut(QKeySequence::Redo);
    redo->setEnabled(false);
    connect(textEdit, &QPlainTextEdit::redoAvailable, redo, &QAction::setEnabled);
    edit->addSeparator();
    addItem(edit, Names::findItem, QStringLiteral("検索と置換(&F)..."), &ScriptEditorWindow::showFind,
            Qt::CTRL | Qt::Key_F);
    previewItem_ = addItem(edit, Names::previewItem, QStringLiteral("歌詞のプレビュー(&V)"),
                           &ScriptEditorWindow::showPreview, Qt::Key_F5);
    previewItem_->setEnabled(false);

    QMenu* command = bar->addMenu(QStringLiteral("命令(&C)"));
    command->setObjectName(Names::commandMenu);
    addItem(command, Names::formSizeItem, QStringLiteral("ｳｨﾝﾄﾞｳｻｲｽﾞ(&W)"),
            &ScriptEditorWindow::insertFormSize);
    addItem(command, Names::backColorItem, QStringLiteral("背景色(&B)"),
            &ScriptEditorWindow::insertBackColor);
    addItem(command, Names::fontSizeItem, QStringLiteral("ﾌｫﾝﾄの大きさ(&S)"),
            &ScriptEditorWindow::insertFontSize);
    addItem(command, Names::fontColorItem, QStringLiteral("ﾌｫﾝﾄの色(&L)"),
            &ScriptEditorWindow::insertFontColor);
    addItem(command, Names::fontPreColorItem, QStringLiteral("先表示ﾌｫﾝﾄの色(&R)"),
            &ScriptEditorWindow::insertFontPreColor);
    addItem(command, Names::setCursorItem, QStringLiteral("表示位置(&P)"),
            &ScriptEditorWindow::insertSetCursor);
    addItem(command, Names::clearItem, QStringLiteral("表示文字の消去(&C)"),
            &ScriptEditorWindow::insertClear);
    addItem(command, Names::pausePreItem, QStringLiteral("先表示の一時停止(&T)"),
            &ScriptEditorWindow::insertPausePre);
}

void ScriptEditorWindow::cut()
{
    textEdit->cut();
}

void ScriptEditorWindow::copy()
{
    textEdit->copy();
}

void ScriptEditorWindow::pasteClipboard()
{
    textEdit->paste();
}

void ScriptEditorWindow::deleteSelection()
{
    textEdit->textCursor().removeSelectedText();
}

void ScriptEditorWindow::showFind()
{
    if (!findDialog_)
        findDialog_ = new FindReplaceDialog(textEdit, this);
    const QString selected = textEdit->textCursor().selectedText();
    if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator))
        findDialog_->findEdit()->setText(selected);
    findDialog_->show();
    findDialog_->raise();
    findDialog_->activateWindow();
    findDialog_->findEdit()->setFocus();
    findDialog_->findEdit()->selectAll();
}

void ScriptEditorWindow::setPreviewWindows(CaretPreview::WindowFactory factory)
{
    previewWindows_ = std::move(factory);
    previewItem_->setEnabled(bool(previewWindows_));
}

void ScriptEditorWindow::showPreview()
{
    if (!previewWindows_)
        return;
    const ScriptText::Encoded script = ScriptText::fromEditText(textEdit->toPlainText(), true);
    const int caret = textEdit->textCursor().position();
    if (!preview_)
        preview_ = std::make_unique<CaretPreview>(previewWindows_);
    preview_->show(script.bytes, script.byteOffsets.value(caret, script.bytes.size()));
    // A syntax error ends the preview early; the status bar already names it.
    checkNow();
}

void ScriptEditorWindow::onTextChanged()
{
    editor_.onTextChanged();
    checkTimer_->start();
}

void ScriptEditorWindow::checkNow()
{
    checkTimer_->stop();
    const std::optional<ScriptCheck::Problem> problem = ScriptCheck::firstProblem(textEdit->toPlainText());
    if (problem) {
        const QTextBlock block = textEdit->document()->findBlock(static_cast<int>(problem->start));
        const int line = block.blockNumber() + 1;
        const int column = static_cast<int>(problem->start - block.position()) + 1;
        QString message = problem->message;
        message.replace(QLatin1Char('\n'), QLatin1Char(' '));
        problemLabel_->setText(
            QStringLiteral("%1 行 %2 桁: %3").arg(line).arg(column).arg(message.simplified()));
        highlighter_->setProblem(problem->start, problem->length);
    }
    else {
        problemLabel_->clear();
        highlighter_->setProblem(0, 0);
    }
}

QString ScriptEditorWindow::problemText() const
{
    return problemLabel_->text();
}

QString ScriptEditorWindow::caretText() const
{
    return caretLabel_->text();
}

void ScriptEditorWindow::showCaret()
{
    const QTextCursor cursor = textEdit->textCursor();
    QString where =
        QStringLiteral("%1 行 %2 桁").arg(cursor.blockNumber() + 1).arg(cursor.positionInBlock() + 1);
    // A placeholder under the caret says which byte it stands for.
    const QString line = cursor.block().text();
    const int at = cursor.positionInBlock();
    if (at < line.size() && ScriptText::isPlaceholder(line[at].unicode()))
        where += QStringLiteral("  (0x%1)")
                     .arg(ScriptText::placeholderByte(line[at].unicode()), 2, 16, QLatin1Char('0'));
    caretLabel_->setText(where);
}

QString ScriptEditorWindow::text() const
{
    return textEdit->toPlainText();
}

void ScriptEditorWindow::setText(const QString& text)
{
    textEdit->setPlainText(text);
}

void ScriptEditorWindow::paste()
{
    textEdit->paste();
}

void ScriptEditorWindow::select(qsizetype start, qsizetype length)
{
    QTextCursor cursor(textEdit->document());
    cursor.setPosition(static_cast<int>(start));
    cursor.setPosition(static_cast<int>(start + length), QTextCursor::KeepAnchor);
    textEdit->setTextCursor(cursor);
    textEdit->ensureCursorVisible();
}

void ScriptEditorWindow::setCaption(const QString& caption)
{
    setWindowTitle(caption);
}

std::optional<QStringList> ScriptEditorWindow::askParameters(const Parameters& parameters)
{
    ParameterDialog* dialog = nullptr;
    QList<QLineEdit*> edits;
    if (parameters.labels.size() >= 2) {
        auto* two = new TwoValueDialog;
        two->firstLabel->setText(parameters.labels.value(0));
        two->secondLabel->setText(parameters.labels.value(1));
        edits = {two->firstEdit, two->secondEdit};
        twoValueDialog = two;
        dialog = two;
    }
    else {
        auto* one = new OneValueDialog;
        one->firstLabel->setText(parameters.labels.value(0));
        // Room for the longer label.
        one->firstEdit->setGeometry(168, one->firstEdit->y(), 65, one->firstEdit->height());
        edits = {one->firstEdit};
        oneValueDialog = one;
        dialog = one;
    }
    dialog->setWindowTitle(parameters.caption);
    dialog->setEditor(this);

    // Centred on the editor, outer sizes against outer sizes; the dialog's
    // frame is taken to be as wide as the editor's until it is on screen.
    const QRect outer = frameGeometry();
    const QSize dialogOuter = dialog->size() + (outer.size() - size());
    dialog->move(outer.left() + (outer.width() - dialogOuter.width()) / 2,
                 outer.top() + (outer.height() - dialogOuter.height()) / 2);
    dialog->winId();
    if (dialog->windowHandle() && windowHandle())
        dialog->windowHandle()->setTransientParent(windowHandle());

    QEventLoop wait;
    connect(dialog, &ParameterDialog::answered, &wait, &QEventLoop::quit);
    bool answered = false;
    connect(dialog, &ParameterDialog::answered, this, [&answered] { answered = true; });

    dialog->show();
    dialog->activateWindow();
    edits.first()->setFocus(Qt::OtherFocusReason);
    setEnabled(false);
    waiting_ = true;
    if (!answered)
        wait.exec();
    waiting_ = false;
    setEnabled(true);
    // Disabled, the window gave up its focus; the user types on into the text.
    activateWindow();
    textEdit->setFocus(Qt::OtherFocusReason);

    std::optional<QStringList> values;
    if (dialog->accepted) {
        values = QStringList();
        for (QLineEdit* edit : edits)
            values->append(edit->text());
    }
    delete dialog;
    return values;
}

bool ScriptEditorWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == textEdit && event->type() == QEvent::ShortcutOverride &&
        isMenuShortcut(*static_cast<QKeyEvent*>(event)))
        return true; // left unaccepted: the menu's shortcut runs
    return QMainWindow::eventFilter(watched, event);
}

void ScriptEditorWindow::closeEvent(QCloseEvent* event)
{
    if (closed_) {
        event->accept();
        return;
    }
    // A parameter dialog is waited for: it has to be answered first.
    if (waiting_) {
        for (QWidget* dialog :
             {static_cast<QWidget*>(oneValueDialog.data()), static_cast<QWidget*>(twoValueDialog.data())}) {
            if (dialog) {
                dialog->raise();
                dialog->activateWindow();
            }
        }
        event->ignore();
        return;
    }
    if (!editor_.shutDown()) {
        event->ignore();
        return;
    }
    closed_ = true;
    checkTimer_->stop();
    event->accept();
    deleteLater();
}

void ScriptEditorWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!outerSizeFitted_) {
        outerSizeFitted_ = true;
        QTimer::singleShot(0, this, &ScriptEditorWindow::fitOuterSize);
    }
}

// The designed size includes the frame, which is known only once the window
// is on screen.
void ScriptEditorWindow::fitOuterSize()
{
    const QSize frame = frameGeometry().size() - size();
    if (frame.width() > 0 || frame.height() > 0)
        resize(OuterWidth - frame.width(), OuterHeight - frame.height());
}
