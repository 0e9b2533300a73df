#include "OneValueDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace DialogNames = ParameterDialogObjectNames;

OneValueDialog::OneValueDialog()
    : ParameterDialog(DialogNames::oneValueDialog, QStringLiteral("CommandPush1"), QSize(242, 69))
{
    firstLabel = makeLabel(DialogNames::firstLabel, {16, 13});
    // Created in tab order.
    firstEdit = makeEdit(DialogNames::firstEdit, {112, 8});
    okButton = makeButton(DialogNames::okButton, QStringLiteral("OK"), {32, 40});
    cancelButton = makeButton(DialogNames::cancelButton, QStringLiteral("ｷｬﾝｾﾙ"), {136, 40});
    setTabOrder(firstEdit, okButton);
    setTabOrder(okButton, cancelButton);
    connect(okButton, &QPushButton::clicked, this, &OneValueDialog::onOkClicked);
    connect(cancelButton, &QPushButton::clicked, this, &OneValueDialog::onCancelClicked);
}
