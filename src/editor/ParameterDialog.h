#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

// The protocol of the command parameter dialogs. A dialog is shown modeless
// while the editor that asks disables itself and waits; OK, Cancel and the
// close box each record whether the user confirmed, enable the editor again,
// give it the focus and report answered(). The buttons neither close nor
// destroy the dialog: the editor reads the answer and destroys it. Neither
// button is a default or cancel button, so Enter and Escape do not answer.
class ParameterDialog : public QWidget {
    Q_OBJECT

public:
    // Whether the user confirmed: false until OK is pressed, false again
    // after Cancel or the close box.
    bool accepted = false;

    // The window to enable and focus when the dialog is answered.
    void setEditor(QWidget* editor) { editor_ = editor; }

public Q_SLOTS:
    void onOkClicked();
    void onCancelClicked();

Q_SIGNALS:
    void answered();

protected:
    // A fixed-size dialog window with the given client size and design name.
    ParameterDialog(const char* formName, const QString& caption, QSize clientSize);

    QLabel* makeLabel(const char* name, QPoint at);
    QLineEdit* makeEdit(const char* name, QPoint at);
    QPushButton* makeButton(const char* name, const QString& caption, QPoint at);
    // Labels size themselves to their texts, which the caller sets.
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void shutDown();
    void answer(bool confirmed);

    QPointer<QWidget> editor_;
};
