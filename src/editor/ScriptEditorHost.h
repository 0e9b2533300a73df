#pragma once

#include <QString>

// What the script editor needs of the main window.
class ScriptEditorHost {
public:
    virtual ~ScriptEditorHost() = default;

    // The main window's editorFileName: the script the compiler window takes.
    virtual void setEditorFileName(const QString& name) = 0;
    // An open compiler window takes the script up again; nothing happens
    // when there is none.
    virtual void reloadCompilerScript() = 0;
    // The editor has closed and is going: empty the reference to it and
    // enable the button and menu item that open it.
    virtual void scriptEditorClosed() = 0;
};
