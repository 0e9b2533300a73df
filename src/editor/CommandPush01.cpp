#include "CommandPush01.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TCommandPush1::TCommandPush1()
    : ParameterDialog("CommandPush1", QStringLiteral("CommandPush1"), QSize(242, 69))
{
    Label1 = makeLabel("Label1", {16, 13});
    // Created in tab order.
    Edit1 = makeEdit("Edit1", {112, 8});
    Button1 = makeButton("Button1", QStringLiteral("OK"), {32, 40});
    Button2 = makeButton("Button2", QStringLiteral("ｷｬﾝｾﾙ"), {136, 40});
    setTabOrder(Edit1, Button1);
    setTabOrder(Button1, Button2);
    connect(Button1, &QPushButton::clicked, this, &TCommandPush1::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TCommandPush1::Button2Click);
}
