#include "CommandPush02.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TCommandPush2::TCommandPush2()
    : ParameterDialog("CommandPush2", QStringLiteral("CommandPush2"), QSize(242, 93))
{
    Label1 = makeLabel("Label1", {16, 13});
    Label2 = makeLabel("Label2", {16, 37});
    Edit1 = makeEdit("Edit1", {112, 8});
    Edit2 = makeEdit("Edit2", {112, 32});
    Button1 = makeButton("Button1", QStringLiteral("OK"), {32, 64});
    Button2 = makeButton("Button2", QStringLiteral("ｷｬﾝｾﾙ"), {136, 64});
    setTabOrder(Edit1, Edit2);
    setTabOrder(Edit2, Button1);
    setTabOrder(Button1, Button2);
    connect(Button1, &QPushButton::clicked, this, &TCommandPush2::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TCommandPush2::Button2Click);
}
