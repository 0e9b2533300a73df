#include "FindReplaceDialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>

FindReplaceDialog::FindReplaceDialog(QPlainTextEdit* edit, QWidget* parent) : QDialog(parent), edit_(edit)
{
    setObjectName(FindReplaceObjectNames::dialog);
    setWindowTitle(QStringLiteral("検索と置換"));
    find_ = new QLineEdit(this);
    find_->setObjectName(FindReplaceObjectNames::findText);
    replace_ = new QLineEdit(this);
    replace_->setObjectName(FindReplaceObjectNames::replaceText);
    case_ = new QCheckBox(QStringLiteral("大文字と小文字を区別する(&M)"), this);
    status_ = new QLabel(this);
    auto* next = new QPushButton(QStringLiteral("次を検索(&F)"), this);
    auto* one = new QPushButton(QStringLiteral("置換(&R)"), this);
    auto* all = new QPushButton(QStringLiteral("すべて置換(&A)"), this);
    auto* close = new QPushButton(QStringLiteral("閉じる"), this);
    next->setDefault(true);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("検索する文字列(&N):"), find_);
    form->addRow(QStringLiteral("置換後の文字列(&P):"), replace_);
    form->addRow(case_);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {next, one, all, close})
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(status_);
    layout->addLayout(buttons);

    connect(next, &QPushButton::clicked, this, &FindReplaceDialog::findNext);
    connect(one, &QPushButton::clicked, this, &FindReplaceDialog::replaceOne);
    connect(all, &QPushButton::clicked, this, &FindReplaceDialog::replaceAll);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
}

void FindReplaceDialog::report(const QString& text)
{
    status_->setText(text);
}

bool FindReplaceDialog::findNext()
{
    const QString wanted = find_->text();
    if (wanted.isEmpty())
        return false;
    const QTextDocument::FindFlags flags =
        case_->isChecked() ? QTextDocument::FindCaseSensitively : QTextDocument::FindFlags();
    if (edit_->find(wanted, flags)) {
        report(QString());
        return true;
    }
    // Wrap around to the start once.
    const QTextCursor before = edit_->textCursor();
    QTextCursor start(edit_->document());
    edit_->setTextCursor(start);
    if (edit_->find(wanted, flags)) {
        report(QStringLiteral("先頭から検索しました。"));
        return true;
    }
    edit_->setTextCursor(before);
    report(QStringLiteral("見つかりません。"));
    return false;
}

bool FindReplaceDialog::replaceOne()
{
    const Qt::CaseSensitivity cs = case_->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive;
    QTextCursor cursor = edit_->textCursor();
    if (cursor.hasSelection() && QString::compare(cursor.selectedText(), find_->text(), cs) == 0)
        cursor.insertText(replace_->text());
    return findNext();
}

int FindReplaceDialog::replaceAll()
{
    const QString wanted = find_->text();
    if (wanted.isEmpty())
        return 0;
    const QTextDocument::FindFlags flags =
        case_->isChecked() ? QTextDocument::FindCaseSensitively : QTextDocument::FindFlags();
    QTextDocument* document = edit_->document();
    QTextCursor edit(document);
    edit.beginEditBlock();
    int count = 0;
    QTextCursor found = document->find(wanted, 0, flags);
    while (!found.isNull()) {
        found.insertText(replace_->text());
        ++count;
        found = document->find(wanted, found, flags);
    }
    edit.endEditBlock();
    report(QStringLiteral("%1 個置換しました。").arg(count));
    return count;
}
