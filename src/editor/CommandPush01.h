#pragma once

#include "editor/ParameterDialog.h"

// The one-value parameter dialog: a label, an entry field, OK and Cancel.
// Client area 242 × 69; the caller sets the caption and the label's text.
class TCommandPush1 : public ParameterDialog {
    Q_OBJECT

public:
    TCommandPush1();

    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
};
