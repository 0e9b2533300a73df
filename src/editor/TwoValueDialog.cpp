#include "TwoValueDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TwoValueDialog::TwoValueDialog()
    : ParameterDialog("CommandPush2", QStringLiteral("CommandPush2"), QSize(242, 93))
{
    firstLabel = makeLabel("Label1", {16, 13});
    secondLabel = makeLabel("Label2", {16, 37});
    firstEdit = makeEdit("Edit1", {112, 8});
    secondEdit = makeEdit("Edit2", {112, 32});
    okButton = makeButton("Button1", QStringLiteral("OK"), {32, 64});
    cancelButton = makeButton("Button2", QStringLiteral("ｷｬﾝｾﾙ"), {136, 64});
    setTabOrder(firstEdit, secondEdit);
    setTabOrder(secondEdit, okButton);
    setTabOrder(okButton, cancelButton);
    connect(okButton, &QPushButton::clicked, this, &TwoValueDialog::onOkClicked);
    connect(cancelButton, &QPushButton::clicked, this, &TwoValueDialog::onCancelClicked);
}
