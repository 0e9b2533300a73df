#pragma once

#include "compile/CompileView.h"
#include "compile/DwdCompiler.h"
#include "lyrics/ImageCanvas.h"

#include <QWidget>

class CdAudioDevice;
class CompileHost;
class FileDialogs;
class MessageBoxes;
class QComboBox;
class QLabel;
class QPushButton;

// The "Make DWD file" window: a thin form over DwdCompiler. Its client area
// is an off-screen canvas that the compiler draws into at any time (paint
// events redraw it, then copy it); the Start, End and Cancel buttons sit in a
// row at the bottom left. The main window creates it with itself as host and
// keeps a reference that the host interface empties when the window closes;
// the window then destroys itself.
class TCompileForm : public QWidget, private CompileView {
    Q_OBJECT

public:
    static constexpr int OuterWidth = 434;
    static constexpr int OuterHeight = 277;
    static constexpr int ButtonWidth = 57;
    static constexpr int ButtonHeight = 25;
    // The speed selector sits in the buttons' row, right of Cancel.
    static constexpr int SpeedLeft = 178;
    static constexpr int SpeedLabelWidth = 30;
    static constexpr int SpeedBoxWidth = 70;

    // Runs FormCreate: asks for a script when the editor has none.
    TCompileForm(CompileHost& host, CdAudioDevice& device, MessageBoxes& boxes, FileDialogs& dialogs,
                 QWidget* parent = nullptr);
    ~TCompileForm() override;

    DwdCompiler& compiler() { return compiler_; }
    const ImageCanvas& canvas() const { return canvas_; }
    // A timing capture is running (the lyrics loader shows no lyrics meanwhile).
    bool Compiling() const { return compiler_.Compiling(); }
    // What the playback monitor asks before it ends the capture with EndClick.
    bool captureRunning() const { return compiler_.captureRunning(); }

public Q_SLOTS:
    void StartClick() { compiler_.StartClick(); }
    void EndClick() { compiler_.EndClick(); }
    void CancelClick() { compiler_.CancelClick(); }
    // The playback monitor saw the track change during a capture.
    void TrackChanged() { compiler_.TrackChanged(); }
    // The editor's new, open and save.
    void ReloadScript() { compiler_.ReloadScript(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormResize();
    void FormKeyDown(int key) { compiler_.FormKeyDown(key); }
    void FormClose();
    void fitOuterSize();
    QPushButton* makeButton(const char* name, const QString& caption, void (TCompileForm::*handler)());
    void makeSpeedSelector();

    // CompileView
    void setStartEnabled(bool enabled) override;
    void focusWindow() override;
    void focusEndButton() override;

    ImageCanvas canvas_;
    DwdCompiler compiler_;
    QPushButton* Start = nullptr;
    QPushButton* End = nullptr;
    QPushButton* Cancel = nullptr;
    QLabel* SpeedLabel = nullptr;
    QComboBox* Speed = nullptr;
    bool painting_ = false;
    bool outerSizeFitted_ = false;
    bool closed_ = false;
};
