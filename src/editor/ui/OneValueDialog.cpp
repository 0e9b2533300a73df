#include "OneValueDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace Names = ParameterDialogObjectNames;

OneValueDialog::OneValueDialog()
    : ParameterDialog(Names::oneValueDialog, QStringLiteral("CommandPush1"), QSize(242, 69))
{
    firstLabel = makeLabel(Names::firstLabel, {16, 13});
    // Created in tab order.
    firstEdit = makeEdit(Names::firstEdit, {112, 8});
    okButton = makeButton(Names::okButton, QStringLiteral("OK"), {32, 40});
    cancelButton = makeButton(Names::cancelButton, QStringLiteral("ｷｬﾝｾﾙ"), {136, 40});
    setTabOrder(firstEdit, okButton);
    setTabOrder(okButton, cancelButton);
    connect(okButton, &QPushButton::clicked, this, &OneValueDialog::onOkClicked);
    connect(cancelButton, &QPushButton::clicked, this, &OneValueDialog::onCancelClicked);
}
