#include "OneValueDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

OneValueDialog::OneValueDialog()
    : ParameterDialog("CommandPush1", QStringLiteral("CommandPush1"), QSize(242, 69))
{
    firstLabel = makeLabel("Label1", {16, 13});
    // Created in tab order.
    firstEdit = makeEdit("Edit1", {112, 8});
    okButton = makeButton("Button1", QStringLiteral("OK"), {32, 40});
    cancelButton = makeButton("Button2", QStringLiteral("ｷｬﾝｾﾙ"), {136, 40});
    setTabOrder(firstEdit, okButton);
    setTabOrder(okButton, cancelButton);
    connect(okButton, &QPushButton::clicked, this, &OneValueDialog::onOkClicked);
    connect(cancelButton, &QPushButton::clicked, this, &OneValueDialog::onCancelClicked);
}
