#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// What the script editor's logic needs of its window: the edit control's
// text, its paste, the caption and the parameter dialogs. The window
// implements it; tests implement it without a screen.
class ScriptEditorView {
public:
    virtual ~ScriptEditorView() = default;

    // The edit control's whole text, line breaks as '\n'.
    virtual QString text() const = 0;
    // Replaces the whole text; the change is reported like any other.
    virtual void setText(const QString& text) = 0;
    // The edit control pastes the clipboard's text over its selection.
    virtual void paste() = 0;
    // Selects a stretch of the text and shows it.
    virtual void select(qsizetype start, qsizetype length) = 0;
    virtual void setCaption(const QString& caption) = 0;

    // A parameter dialog with one or two entry fields, one per label: the
    // texts typed, exactly as typed, or nullopt when it was not confirmed.
    struct Parameters {
        QString caption;
        QStringList labels;
    };
    virtual std::optional<QStringList> askParameters(const Parameters& parameters) = 0;
};
