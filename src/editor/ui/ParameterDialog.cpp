#include "ParameterDialog.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

ParameterDialog::ParameterDialog(QLatin1String name, const QString& caption, QSize clientSize)
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
{
    setObjectName(name);
    setWindowTitle(caption);
    QFont dialogFont(QStringLiteral("ＭＳ Ｐゴシック"));
    dialogFont.setPixelSize(12);
    setFont(dialogFont);
    setFixedSize(clientSize);
}

QLabel* ParameterDialog::makeLabel(QLatin1String name, QPoint at)
{
    auto* label = new QLabel(QString(name), this);
    label->setObjectName(name);
    label->setGeometry(at.x(), at.y(), 81, 12);
    return label;
}

QLineEdit* ParameterDialog::makeEdit(QLatin1String name, QPoint at)
{
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    edit->setGeometry(at.x(), at.y(), 121, 20);
    return edit;
}

QPushButton* ParameterDialog::makeButton(QLatin1String name, const QString& caption, QPoint at)
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setGeometry(at.x(), at.y(), 75, 25);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

void ParameterDialog::showEvent(QShowEvent* event)
{
    for (QLabel* label : findChildren<QLabel*>())
        label->adjustSize();
    QWidget::showEvent(event);
}

void ParameterDialog::answer(bool confirmed)
{
    accepted = confirmed;
    if (editor_) {
        editor_->setEnabled(true);
        editor_->activateWindow();
        editor_->setFocus(Qt::OtherFocusReason);
    }
    Q_EMIT answered();
}

void ParameterDialog::onOkClicked()
{
    answer(true);
}

void ParameterDialog::onCancelClicked()
{
    answer(false);
}

void ParameterDialog::shutDown()
{
    answer(false);
}

void ParameterDialog::closeEvent(QCloseEvent* event)
{
    shutDown();
    event->accept();
}
