#pragma once

#include "editor/ScriptFile.h"

#include <QString>

class Clipboard;
class ColorDialogs;
class FileDialogs;
class MessageBoxes;
class ScriptEditorHost;
class ScriptEditorView;

// The script editor's file handling and command insertion, without a
// screen. The text lives only in the view's edit control; the editor keeps
// the current file's path and whether the text changed since the last new,
// open or save. Files are Shift-JIS bytes and come back byte for byte
// (ScriptText).
//
// Saving never destroys the previous file: the text goes to a temporary
// file that replaces the old one only when every byte is written. A save
// that fails keeps the text marked changed, and neither new, open nor
// closing goes on to discard it.
class ScriptEditor {
public:
    ScriptEditor(ScriptEditorView& view, ScriptEditorHost& host, FileDialogs& fileDialogs,
                 ColorDialogs& colorDialogs, MessageBoxes& boxes, Clipboard& clipboard);

    // Replaces how files are written (tests inject failing disks).
    void setWriter(ScriptFile::Writer writer) { writer_ = std::move(writer); }

    QString fileName() const { return fileName_; }
    bool modified() const { return modified_; }
    QString caption() const;

    // Any change of the edit control's text, also one the editor makes.
    void onTextChanged() { modified_ = true; }

    void newScript();
    void openScript();
    // True when the text is now in the file.
    bool save();
    bool saveAs();

    void insertFormSize();
    void insertBackColor();
    void insertFontSize();
    void insertFontColor();
    void insertFontPreColor();
    void insertSetCursor();
    void insertClear();
    void insertPausePre();

    // The closing sequence: false when the editor must stay open because
    // the text the user wanted saved could not be saved.
    bool shutDown();

    static QString changedTextPrompt();
    static QString openFailedMessage();
    static QString writeFailedMessage();
    static QString unencodableMessage(QChar character, int line);
    static QString textFileFilter();

private:
    enum class Prompt { Saved, Discarded, Cancelled, SaveFailed, SaveAbandoned };
    Prompt promptToSave(bool withCancel);
    bool save(bool askForName);
    void insertCommand(const QString& text);
    void insertColorCommand(const char* name);
    void setCaption();
    void showError(const QString& text);

    ScriptEditorView& view_;
    ScriptEditorHost& host_;
    FileDialogs& fileDialogs_;
    ColorDialogs& colorDialogs_;
    MessageBoxes& boxes_;
    Clipboard& clipboard_;
    ScriptFile::Writer writer_ = &ScriptFile::write;

    QString fileName_;
    // The file the caption names: the last one opened or saved.
    QString shownName_;
    bool modified_ = false;
    // The colour dialog opens on the colour chosen last in this editor.
    quint32 lastColor_ = 0;
    // The last save ended in a cancelled dialog rather than a failure.
    bool saveDialogCancelled_ = false;
};
