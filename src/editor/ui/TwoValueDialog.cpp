#include "TwoValueDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace DialogNames = ParameterDialogObjectNames;

TwoValueDialog::TwoValueDialog()
    : ParameterDialog(DialogNames::twoValueDialog, QStringLiteral("CommandPush2"), QSize(242, 93))
{
    firstLabel = makeLabel(DialogNames::firstLabel, {16, 13});
    secondLabel = makeLabel(DialogNames::secondLabel, {16, 37});
    firstEdit = makeEdit(DialogNames::firstEdit, {112, 8});
    secondEdit = makeEdit(DialogNames::secondEdit, {112, 32});
    okButton = makeButton(DialogNames::okButton, QStringLiteral("OK"), {32, 64});
    cancelButton = makeButton(DialogNames::cancelButton, QStringLiteral("ｷｬﾝｾﾙ"), {136, 64});
    setTabOrder(firstEdit, secondEdit);
    setTabOrder(secondEdit, okButton);
    setTabOrder(okButton, cancelButton);
    connect(okButton, &QPushButton::clicked, this, &TwoValueDialog::onOkClicked);
    connect(cancelButton, &QPushButton::clicked, this, &TwoValueDialog::onCancelClicked);
}
