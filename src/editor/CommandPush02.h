#pragma once

#include "editor/ParameterDialog.h"

// The two-value parameter dialog: two labelled entry fields, OK and Cancel.
// Client area 242 × 93; the caller sets the caption and the labels' texts.
class TCommandPush2 : public ParameterDialog {
    Q_OBJECT

public:
    TCommandPush2();

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
};
