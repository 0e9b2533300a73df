#pragma once

#include <QDialog>
#include <QLatin1String>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

// The objectNames of the find and replace dialog and its fields: what
// accessibility, the trace and tests find them by. Spelled here only.
namespace FindReplaceObjectNames {
inline constexpr QLatin1String dialog("FindReplace");
inline constexpr QLatin1String findText("FindText");
inline constexpr QLatin1String replaceText("ReplaceText");
} // namespace FindReplaceObjectNames

// Find and replace over an edit control, modeless. Searches wrap around
// the end of the text; replacing all is one step of undo.
class FindReplaceDialog : public QDialog {
    Q_OBJECT

public:
    FindReplaceDialog(QPlainTextEdit* edit, QWidget* parent);

    QLineEdit* findEdit() const { return find_; }
    QLineEdit* replaceEdit() const { return replace_; }
    QCheckBox* caseBox() const { return case_; }

    // False when the text does not occur.
    bool findNext();
    // Replaces the selection when it is the text looked for, then finds the next.
    bool replaceOne();
    // The number of replacements.
    int replaceAll();

private:
    void report(const QString& text);

    QPlainTextEdit* edit_;
    QLineEdit* find_;
    QLineEdit* replace_;
    QCheckBox* case_;
    QLabel* status_;
};
