#pragma once

#include "editor/CaretPreview.h"
#include "editor/ScriptEditor.h"
#include "editor/ScriptEditorView.h"

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
class TCommandPush1;
class TCommandPush2;
class QtClipboard;

// The "RizuzAvodar" script editor window: a thin form over ScriptEditor.
// EditWnd fills the client area between the menu and the status bar; the
// status bar shows the first problem a compile would meet in the script and
// the caret's line and column. While a parameter dialog is open the window
// is disabled and its command handler waits, with the rest of the program
// (the player's timer included) running on.
class TSongEditer : public QMainWindow, private ScriptEditorView {
    Q_OBJECT

public:
    static constexpr int OuterWidth = 315;
    static constexpr int OuterHeight = 216;

    // Without dialogs of its own the window asks on screen.
    TSongEditer(ScriptEditorHost& host, MessageBoxes& boxes, FileDialogs* fileDialogs = nullptr,
                ColorDialogs* colorDialogs = nullptr, QWidget* parent = nullptr);
    ~TSongEditer() override;

    ScriptEditor& editor() { return editor_; }
    CaretPreview* preview() const { return preview_.get(); }
    // The lyrics preview shows its picture in windows made here; without
    // them the preview is not offered.
    void setPreviewWindows(CaretPreview::WindowFactory factory);
    QPlainTextEdit* EditWnd = nullptr;
    // The parameter dialog being waited for, if any.
    QPointer<TCommandPush1> CommandPush1;
    QPointer<TCommandPush2> CommandPush2;

    // The text of the status bar's problem field and caret field.
    QString problemText() const;
    QString caretText() const;
    // Runs the live check now rather than after the pause in typing.
    void checkNow();

public Q_SLOTS:
    void New1Click() { editor_.New1Click(); }
    void Open1Click() { editor_.Open1Click(); }
    void Save1Click() { editor_.Save1Click(); }
    void SaveAs1Click() { editor_.SaveAs1Click(); }
    void Cut1Click();
    void Copy1Click();
    void Paste1Click();
    void Clear2Click();
    void formsize1Click() { editor_.formsize1Click(); }
    void backcolor1Click() { editor_.backcolor1Click(); }
    void fontsize1Click() { editor_.fontsize1Click(); }
    void fontcolor1Click() { editor_.fontcolor1Click(); }
    void fontprecolor1Click() { editor_.fontprecolor1Click(); }
    void setcursor1Click() { editor_.setcursor1Click(); }
    void clear1Click() { editor_.clear1Click(); }
    void pausepre1Click() { editor_.pausepre1Click(); }
    void FindClick();
    // Shows the lyrics as the display window will at the caret's piece.
    void PreviewClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createMenu();
    QAction* addItem(QMenu* menu, const char* name, const QString& caption, void (TSongEditer::*handler)(),
                     const QKeySequence& shortcut = {});
    void EditWndChange();
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
