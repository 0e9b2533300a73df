#pragma once

#include "editor/ui/ParameterDialog.h"

// The two-value parameter dialog: two labelled entry fields, OK and Cancel.
// Client area 242 × 93; the caller sets the caption and the labels' texts.
class TwoValueDialog : public ParameterDialog {
    Q_OBJECT

public:
    TwoValueDialog();

    QLabel* firstLabel = nullptr;
    QLabel* secondLabel = nullptr;
    QLineEdit* firstEdit = nullptr;
    QLineEdit* secondEdit = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;
};
