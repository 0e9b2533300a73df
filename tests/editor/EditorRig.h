#pragma once

#include "ScriptedFileDialogs.h"
#include "ScriptedMessageBoxes.h"
#include "editor/ScriptEditor.h"
#include "editor/ScriptEditorHost.h"
#include "editor/ScriptEditorView.h"
#include "platform/Clipboard.h"
#include "platform/ColorDialogs.h"

#include <QList>

// The editor's collaborators without a screen: an edit control that holds
// its text and selection, a clipboard, dialogs answering from queues and a
// main window that records what it was told.
struct EditorRig {
    struct MemoryClipboard final : Clipboard {
        QString content = QStringLiteral("(before)");
        QString text() const override { return content; }
        void setText(const QString& text) override { content = text; }
    };

    struct Colors final : ColorDialogs {
        QList<std::optional<quint32>> answers;
        QList<quint32> initials;
        std::optional<quint32> chooseColor(quint32 initial) override
        {
            initials.append(initial);
            return answers.isEmpty() ? std::nullopt : answers.takeFirst();
        }
    };

    struct Host final : ScriptEditorHost {
        QString editorFileName = QStringLiteral("(unset)");
        int reloads = 0;
        int closed = 0;
        void setEditorFileName(const QString& name) override { editorFileName = name; }
        void reloadCompilerScript() override { ++reloads; }
        void scriptEditorClosed() override { ++closed; }
    };

    struct View final : ScriptEditorView {
        explicit View(Clipboard& clipboard) : clipboard(clipboard) {}
        QString content;
        qsizetype selectionStart = 0;
        qsizetype selectionLength = 0;
        QString caption;
        QList<std::optional<QStringList>> answers;
        QList<Parameters> asked;
        Clipboard& clipboard;
        ScriptEditor* editor = nullptr;

        QString text() const override { return content; }
        void setText(const QString& text) override
        {
            content = text;
            selectionStart = selectionLength = 0;
            editor->onTextChanged();
        }
        void paste() override
        {
            const QString pasted = clipboard.text();
            content.replace(selectionStart, selectionLength, pasted);
            selectionStart += pasted.size();
            selectionLength = 0;
            editor->onTextChanged();
        }
        // Typing: replaces the selection, as the edit control does.
        void type(const QString& text)
        {
            content.replace(selectionStart, selectionLength, text);
            selectionStart += text.size();
            selectionLength = 0;
            editor->onTextChanged();
        }
        void select(qsizetype start, qsizetype length) override
        {
            selectionStart = start;
            selectionLength = length;
        }
        void setCaption(const QString& text) override { caption = text; }
        std::optional<QStringList> askParameters(const Parameters& parameters) override
        {
            asked.append(parameters);
            return answers.isEmpty() ? std::nullopt : answers.takeFirst();
        }
    };

    EditorRig() { view.editor = &editor; }

    MemoryClipboard clipboard;
    Colors colors;
    Host host;
    View view{clipboard};
    ScriptedFileDialogs files;
    ScriptedMessageBoxes boxes;
    ScriptEditor editor{view, host, files, colors, boxes, clipboard};
};
