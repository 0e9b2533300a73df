#include "SongEditer01.h"

#include "editor/CommandPush01.h"
#include "editor/CommandPush02.h"
#include "editor/FindReplaceDialog.h"
#include "editor/ScriptCheck.h"
#include "editor/ScriptHighlighter.h"
#include "editor/ScriptText.h"
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

TSongEditer::TSongEditer(ScriptEditorHost& host, MessageBoxes& boxes, FileDialogs* fileDialogs,
                         ColorDialogs* colorDialogs, QWidget* parent)
    : QMainWindow(parent), ownFileDialogs_(fileDialogs ? nullptr : std::make_unique<QtFileDialogs>(this)),
      ownColorDialogs_(colorDialogs ? nullptr : std::make_unique<QtColorDialogs>(this)),
      clipboard_(std::make_unique<QtClipboard>()),
      editor_(*this, host, fileDialogs ? *fileDialogs : *ownFileDialogs_,
              colorDialogs ? *colorDialogs : *ownColorDialogs_, boxes, *clipboard_)
{
    setObjectName(QStringLiteral("SongEditer"));
    QFont formFont(QStringLiteral("ＭＳ Ｐゴシック"));
    formFont.setPixelSize(12);
    setFont(formFont);

    EditWnd = new QPlainTextEdit(this);
    EditWnd->setObjectName(QStringLiteral("EditWnd"));
    EditWnd->setLineWrapMode(QPlainTextEdit::NoWrap);
    EditWnd->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    EditWnd->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    EditWnd->setTabChangesFocus(false);
    EditWnd->installEventFilter(this);
    // Line ends are part of the lyrics (they move the display down): show them.
    QTextOption option = EditWnd->document()->defaultTextOption();
    option.setFlags(option.flags() | QTextOption::ShowLineAndParagraphSeparators);
    EditWnd->document()->setDefaultTextOption(option);
    setCentralWidget(EditWnd);
    highlighter_ = new ScriptHighlighter(EditWnd->document());

    problemLabel_ = new QLabel(this);
    problemLabel_->setObjectName(QStringLiteral("ProblemText"));
    caretLabel_ = new QLabel(this);
    caretLabel_->setObjectName(QStringLiteral("CaretText"));
    statusBar()->addWidget(problemLabel_, 1);
    statusBar()->addPermanentWidget(caretLabel_);
    statusBar()->setSizeGripEnabled(false);

    checkTimer_ = new QTimer(this);
    checkTimer_->setSingleShot(true);
    checkTimer_->setInterval(CheckDelayMs);
    connect(checkTimer_, &QTimer::timeout, this, &TSongEditer::checkNow);
    connect(EditWnd, &QPlainTextEdit::textChanged, this, &TSongEditer::EditWndChange);
    connect(EditWnd, &QPlainTextEdit::cursorPositionChanged, this, &TSongEditer::showCaret);

    createMenu();
    setWindowTitle(editor_.caption());
    resize(OuterWidth, OuterHeight);
    showCaret();
}

TSongEditer::~TSongEditer()
{
    // The highlighter must not colour a document that is going.
    delete highlighter_;
}

QAction* TSongEditer::addItem(QMenu* menu, const char* name, const QString& caption,
                              void (TSongEditer::*handler)(), const QKeySequence& shortcut)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, handler);
    return action;
}

void TSongEditer::createMenu()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    QMenu* file = bar->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    file->setObjectName(QStringLiteral("File1"));
    addItem(file, "New1", QStringLiteral("新規作成(&N)"), &TSongEditer::New1Click);
    addItem(file, "Open1", QStringLiteral("開く(&O)"), &TSongEditer::Open1Click);
    addItem(file, "Save1", QStringLiteral("上書き保存(&S)"), &TSongEditer::Save1Click, Qt::CTRL | Qt::Key_S);
    addItem(file, "SaveAs1", QStringLiteral("名前をつけて保存(&A)"), &TSongEditer::SaveAs1Click);

    QMenu* edit = bar->addMenu(QStringLiteral("編集(&E)"));
    edit->setObjectName(QStringLiteral("Edit1"));
    // The header carries Ctrl+E; it runs no command.
    edit->menuAction()->setShortcut(Qt::CTRL | Qt::Key_E);
    addItem(edit, "Cut1", QStringLiteral("切り取り(&T)"), &TSongEditer::Cut1Click, Qt::CTRL | Qt::Key_X);
    addItem(edit, "Copy1", QStringLiteral("ｺﾋﾟｰ(&C)"), &TSongEditer::Copy1Click, Qt::CTRL | Qt::Key_C);
    addItem(edit, "Paste1", QStringLiteral("貼り付け(&P)"), &TSongEditer::Paste1Click, Qt::CTRL | Qt::Key_V);
    addItem(edit, "Clear2", QStringLiteral("削除(&D)"), &TSongEditer::Clear2Click, Qt::CTRL | Qt::Key_Delete);
    edit->addSeparator();
    QAction* undo = edit->addAction(QStringLiteral("元に戻す(&U)"), EditWnd, &QPlainTextEdit::undo);
    undo->setObjectName(QStringLiteral("Undo1"));
    undo->setShortcut(QKeySequence::Undo);
    undo->setEnabled(false);
    connect(EditWnd, &QPlainTextEdit::undoAvailable, undo, &QAction::setEnabled);
    QAction* redo = edit->addAction(QStringLiteral("やり直し(&R)"), EditWnd, &QPlainTextEdit::redo);
    redo->setObjectName(QStringLiteral("Redo1"));
    redo->setShortcut(QKeySequence::Redo);
    redo->setEnabled(false);
    connect(EditWnd, &QPlainTextEdit::redoAvailable, redo, &QAction::setEnabled);
    edit->addSeparator();
    addItem(edit, "Find1", QStringLiteral("検索と置換(&F)..."), &TSongEditer::FindClick,
            Qt::CTRL | Qt::Key_F);
    previewItem_ = addItem(edit, "Preview1", QStringLiteral("歌詞のプレビュー(&V)"),
                           &TSongEditer::PreviewClick, Qt::Key_F5);
    previewItem_->setEnabled(false);

    QMenu* command = bar->addMenu(QStringLiteral("命令(&C)"));
    command->setObjectName(QStringLiteral("Command1"));
    addItem(command, "formsize1", QStringLiteral("ｳｨﾝﾄﾞｳｻｲｽﾞ(&W)"), &TSongEditer::formsize1Click);
    addItem(command, "backcolor1", QStringLiteral("背景色(&B)"), &TSongEditer::backcolor1Click);
    addItem(command, "fontsize1", QStringLiteral("ﾌｫﾝﾄの大きさ(&S)"), &TSongEditer::fontsize1Click);
    addItem(command, "fontcolor1", QStringLiteral("ﾌｫﾝﾄの色(&L)"), &TSongEditer::fontcolor1Click);
    addItem(command, "fontprecolor1", QStringLiteral("先表示ﾌｫﾝﾄの色(&R)"), &TSongEditer::fontprecolor1Click);
    addItem(command, "setcursor1", QStringLiteral("表示位置(&P)"), &TSongEditer::setcursor1Click);
    addItem(command, "clear1", QStringLiteral("表示文字の消去(&C)"), &TSongEditer::clear1Click);
    addItem(command, "pausepre1", QStringLiteral("先表示の一時停止(&T)"), &TSongEditer::pausepre1Click);
}

void TSongEditer::Cut1Click()
{
    EditWnd->cut();
}

void TSongEditer::Copy1Click()
{
    EditWnd->copy();
}

void TSongEditer::Paste1Click()
{
    EditWnd->paste();
}

void TSongEditer::Clear2Click()
{
    EditWnd->textCursor().removeSelectedText();
}

void TSongEditer::FindClick()
{
    if (!findDialog_)
        findDialog_ = new FindReplaceDialog(EditWnd, this);
    const QString selected = EditWnd->textCursor().selectedText();
    if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator))
        findDialog_->findEdit()->setText(selected);
    findDialog_->show();
    findDialog_->raise();
    findDialog_->activateWindow();
    findDialog_->findEdit()->setFocus();
    findDialog_->findEdit()->selectAll();
}

void TSongEditer::setPreviewWindows(CaretPreview::WindowFactory factory)
{
    previewWindows_ = std::move(factory);
    previewItem_->setEnabled(bool(previewWindows_));
}

void TSongEditer::PreviewClick()
{
    if (!previewWindows_)
        return;
    const ScriptText::Encoded script = ScriptText::fromEditText(EditWnd->toPlainText(), true);
    const int caret = EditWnd->textCursor().position();
    if (!preview_)
        preview_ = std::make_unique<CaretPreview>(previewWindows_);
    preview_->show(script.bytes, script.byteOffsets.value(caret, script.bytes.size()));
    // A syntax error ends the preview early; the status bar already names it.
    checkNow();
}

void TSongEditer::EditWndChange()
{
    editor_.EditWndChange();
    checkTimer_->start();
}

void TSongEditer::checkNow()
{
    checkTimer_->stop();
    const std::optional<ScriptCheck::Problem> problem = ScriptCheck::firstProblem(EditWnd->toPlainText());
    if (problem) {
        const QTextBlock block = EditWnd->document()->findBlock(static_cast<int>(problem->start));
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

QString TSongEditer::problemText() const
{
    return problemLabel_->text();
}

QString TSongEditer::caretText() const
{
    return caretLabel_->text();
}

void TSongEditer::showCaret()
{
    const QTextCursor cursor = EditWnd->textCursor();
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

QString TSongEditer::text() const
{
    return EditWnd->toPlainText();
}

void TSongEditer::setText(const QString& text)
{
    EditWnd->setPlainText(text);
}

void TSongEditer::paste()
{
    EditWnd->paste();
}

void TSongEditer::select(qsizetype start, qsizetype length)
{
    QTextCursor cursor(EditWnd->document());
    cursor.setPosition(static_cast<int>(start));
    cursor.setPosition(static_cast<int>(start + length), QTextCursor::KeepAnchor);
    EditWnd->setTextCursor(cursor);
    EditWnd->ensureCursorVisible();
}

void TSongEditer::setCaption(const QString& caption)
{
    setWindowTitle(caption);
}

std::optional<QStringList> TSongEditer::askParameters(const Parameters& parameters)
{
    ParameterDialog* dialog = nullptr;
    QList<QLineEdit*> edits;
    if (parameters.labels.size() >= 2) {
        auto* two = new TCommandPush2;
        two->Label1->setText(parameters.labels.value(0));
        two->Label2->setText(parameters.labels.value(1));
        edits = {two->Edit1, two->Edit2};
        CommandPush2 = two;
        dialog = two;
    }
    else {
        auto* one = new TCommandPush1;
        one->Label1->setText(parameters.labels.value(0));
        // Room for the longer label.
        one->Edit1->setGeometry(168, one->Edit1->y(), 65, one->Edit1->height());
        edits = {one->Edit1};
        CommandPush1 = one;
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

    std::optional<QStringList> values;
    if (dialog->Confirmed) {
        values = QStringList();
        for (QLineEdit* edit : edits)
            values->append(edit->text());
    }
    delete dialog;
    return values;
}

bool TSongEditer::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == EditWnd && event->type() == QEvent::ShortcutOverride &&
        isMenuShortcut(*static_cast<QKeyEvent*>(event)))
        return true; // left unaccepted: the menu's shortcut runs
    return QMainWindow::eventFilter(watched, event);
}

void TSongEditer::closeEvent(QCloseEvent* event)
{
    if (closed_) {
        event->accept();
        return;
    }
    // A parameter dialog is waited for: it has to be answered first.
    if (waiting_) {
        for (QWidget* dialog :
             {static_cast<QWidget*>(CommandPush1.data()), static_cast<QWidget*>(CommandPush2.data())}) {
            if (dialog) {
                dialog->raise();
                dialog->activateWindow();
            }
        }
        event->ignore();
        return;
    }
    if (!editor_.FormClose()) {
        event->ignore();
        return;
    }
    closed_ = true;
    checkTimer_->stop();
    event->accept();
    deleteLater();
}

void TSongEditer::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!outerSizeFitted_) {
        outerSizeFitted_ = true;
        QTimer::singleShot(0, this, &TSongEditer::fitOuterSize);
    }
}

// The designed size includes the frame, which is known only once the window
// is on screen.
void TSongEditer::fitOuterSize()
{
    const QSize frame = frameGeometry().size() - size();
    if (frame.width() > 0 || frame.height() > 0)
        resize(OuterWidth - frame.width(), OuterHeight - frame.height());
}
