#include "TwoValueDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace Names = ParameterDialogObjectNames;

TwoValueDialog::TwoValueDialog()
    : ParameterDialog(Names::twoValueDialog, QStringLiteral("CommandPush2"), QSize(242, 93))
{
    firstLabel = makeLabel(Names::firstLabel, {16, 13});
    secondLabel = makeLabel(Names::secondLabel, {16, 37});
    firstEdit = makeEdit(Names::firstEdit, {112, 8});
    secondEdit = makeEdit(Names::secondEdit, {112, 32});
    okButton = makeButton(Names::okButton, QStringLiteral("OK"), {32, 64});
    cancelButton = makeButton(Names::cancelButton, QStringLiteral("ｷｬﾝｾﾙ"), {136, 64});
    setTabOrder(firstEdit, secondEdit);
    setTabOrder(secondEdit, okButton);
    setTabOrder(okButton, cancelButton);
    connect(okButton, &QPushButton::clicked, this, &TwoValueDialog::onOkClicked);
    connect(cancelButton, &QPushButton::clicked, this, &TwoValueDialog::onCancelClicked);
}
