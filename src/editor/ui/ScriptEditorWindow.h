#pragma once

#include "editor/CaretPreview.h"
#include "editor/ScriptEditor.h"
#include "editor/ScriptEditorView.h"

#include <QLatin1String>
#include <QMainWindow>
#include <QPointer>
#include <memory>

class ColorDialogs;
class FileDialogs;
class FindReplaceDialog;
class MessageBoxes;
class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QTimer;
class ScriptEditorHost;
class ScriptHighlighter;
class OneValueDialog;
class TwoValueDialog;
class QtClipboard;

// The objectNames of the editor window, its menus and menu items: what
// accessibility, the trace and tests find them by. Spelled here only.
namespace ScriptEditorObjectNames {
inline constexpr QLatin1String window("SongEditer");
inline constexpr QLatin1String textEdit("EditWnd");
inline constexpr QLatin1String problemText("ProblemText");
inline constexpr QLatin1String caretText("CaretText");
inline constexpr QLatin1String menuBar("MainMenu1");
inline constexpr QLatin1String fileMenu("File1");
inline constexpr QLatin1String newItem("New1");
inline constexpr QLatin1String openItem("Open1");
inline constexpr QLatin1String saveItem("Save1");
inline constexpr QLatin1String saveAsItem("SaveAs1");
inline constexpr QLatin1String editMenu("Edit1");
inline constexpr QLatin1String cutItem("Cut1");
inline constexpr QLatin1String copyItem("Copy1");
inline constexpr QLatin1String pasteItem("Paste1");
inline constexpr QLatin1String deleteItem("Clear2");
inline constexpr QLatin1String undoItem("Undo1");
inline constexpr QLatin1String redoItem("Redo1");
inline constexpr QLatin1String findItem("Find1");
inline constexpr QLatin1String previewItem("Preview1");
inline constexpr QLatin1String commandMenu("Command1");
inline constexpr QLatin1String formSizeItem("formsize1");
inline constexpr QLatin1String backColorItem("backcolor1");
inline constexpr QLatin1String fontSizeItem("fontsize1");
inline constexpr QLatin1String fontColorItem("fontcolor1");
inline constexpr QLatin1String fontPreColorItem("fontprecolor1");
inline constexpr QLatin1String setCursorItem("setcursor1");
inline constexpr QLatin1String clearItem("clear1");
inline constexpr QLatin1String pausePreItem("pausepre1");
} // namespace ScriptEditorObjectNames

// The "RizuzAvodar" script editor window: a thin form over ScriptEditor.
// textEdit fills the client area between the menu and the status bar; the
// status bar shows the first problem a compile would meet in the script and
// the caret's line and column. While a parameter dialog is open the window
// is disabled and its command handler waits, with the rest of the program
// (the player's timer included) running on.
class ScriptEditorWindow : public QMainWindow, private ScriptEditorView {
    Q_OBJECT

public:
    static constexpr int OuterWidth = 315;
    static constexpr int OuterHeight = 216;

    // Without dialogs of its own the window asks on screen.
    ScriptEditorWindow(ScriptEditorHost& host, MessageBoxes& boxes, FileDialogs* fileDialogs = nullptr,
                       ColorDialogs* colorDialogs = nullptr, QWidget* parent = nullptr);
    ~ScriptEditorWindow() override;

    ScriptEditor& editor() { return editor_; }
    CaretPreview* preview() const { return preview_.get(); }
    // The lyrics preview shows its picture in windows made here; without
    // them the preview is not offered.
    void setPreviewWindows(CaretPreview::WindowFactory factory);
    QPlainTextEdit* textEdit = nullptr;
    // The parameter dialog being waited for, if any.
    QPointer<OneValueDialog> oneValueDialog;
    QPointer<TwoValueDialog> twoValueDialog;

    // The text of the status bar's problem field and caret field.
    QString problemText() const;
    QString caretText() const;
    // Runs the live check now rather than after the pause in typing.
    void checkNow();

public Q_SLOTS:
    void newScript() { editor_.newScript(); }
    void openScript() { editor_.openScript(); }
    void save() { editor_.save(); }
    void saveAs() { editor_.saveAs(); }
    void cut();
    void copy();
    void pasteClipboard();
    void deleteSelection();
    void insertFormSize() { editor_.insertFormSize(); }
    void insertBackColor() { editor_.insertBackColor(); }
    void insertFontSize() { editor_.insertFontSize(); }
    void insertFontColor() { editor_.insertFontColor(); }
    void insertFontPreColor() { editor_.insertFontPreColor(); }
    void insertSetCursor() { editor_.insertSetCursor(); }
    void insertClear() { editor_.insertClear(); }
    void insertPausePre() { editor_.insertPausePre(); }
    void showFind();
    // Shows the lyrics as the display window will at the caret's piece.
    void showPreview();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createMenu();
    QAction* addItem(QMenu* menu, QLatin1String name, const QString& caption,
                     void (ScriptEditorWindow::*handler)(), const QKeySequence& shortcut = {});
    void onTextChanged();
    void showCaret();
    void fitOuterSize();

    // ScriptEditorView
    QString text() const override;
    void setText(const QString& text) override;
    void paste() override;
    void select(qsizetype start, qsizetype length) override;
    void setCaption(const QString& caption) override;
    std::optional<QStringList> askParameters(const Parameters& parameters) override;

    std::unique_ptr<FileDialogs> ownFileDialogs_;
    std::unique_ptr<ColorDialogs> ownColorDialogs_;
    std::unique_ptr<QtClipboard> clipboard_;
    ScriptEditor editor_;
    ScriptHighlighter* highlighter_ = nullptr;
    QTimer* checkTimer_ = nullptr;
    QLabel* problemLabel_ = nullptr;
    QLabel* caretLabel_ = nullptr;
    FindReplaceDialog* findDialog_ = nullptr;
    CaretPreview::WindowFactory previewWindows_;
    std::unique_ptr<CaretPreview> preview_;
    QAction* previewItem_ = nullptr;
    bool waiting_ = false;
    bool outerSizeFitted_ = false;
    bool closed_ = false;
};
