#pragma once

#include "editor/ui/ParameterDialog.h"

// The one-value parameter dialog: a label, an entry field, OK and Cancel.
// Client area 242 × 69; the caller sets the caption and the label's text.
class OneValueDialog : public ParameterDialog {
    Q_OBJECT

public:
    OneValueDialog();

    QLabel* firstLabel = nullptr;
    QLineEdit* firstEdit = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;
};
