#pragma once

#include <QLatin1String>
#include <QPointer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

// The objectNames of the two parameter dialogs and their parts, shared by
// both: what accessibility, the trace and tests find them by. Spelled here only.
namespace ParameterDialogObjectNames {
inline constexpr QLatin1String oneValueDialog("CommandPush1");
inline constexpr QLatin1String twoValueDialog("CommandPush2");
inline constexpr QLatin1String firstLabel("Label1");
inline constexpr QLatin1String secondLabel("Label2");
inline constexpr QLatin1String firstEdit("Edit1");
inline constexpr QLatin1String secondEdit("Edit2");
inline constexpr QLatin1String okButton("Button1");
inline constexpr QLatin1String cancelButton("Button2");
} // namespace ParameterDialogObjectNames

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
    ParameterDialog(QLatin1String name, const QString& caption, QSize clientSize);

    QLabel* makeLabel(QLatin1String name, QPoint at);
    QLineEdit* makeEdit(QLatin1String name, QPoint at);
    QPushButton* makeButton(QLatin1String name, const QString& caption, QPoint at);
    // Labels size themselves to their texts, which the caller sets.
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void shutDown();
    void answer(bool confirmed);

    QPointer<QWidget> editor_;
};
