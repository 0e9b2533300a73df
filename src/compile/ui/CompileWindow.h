#pragma once

#include "compile/CompileView.h"
#include "compile/DwdCompiler.h"
#include "compile/HeldKeys.h"
#include "compile/ui/TapCalibrationDialog.h"
#include "lyrics/ImageCanvas.h"
#include "platform/Clock.h"
#include "platform/cdaudio/ClickTrack.h"

#include <QLatin1String>
#include <QPointer>
#include <QWidget>

class CdAudioDevice;
class CompileHost;
class FileDialogs;
class MessageBoxes;
class QCheckBox;
class QComboBox;
class QSpinBox;
class QTimer;
class TimelineWidget;
class QLabel;
class QPushButton;
class SettingsStore;

// The objectNames of the compiler window and its parts: what accessibility,
// the trace and tests find them by. Spelled here only.
namespace CompileWindowObjectNames {
inline constexpr QLatin1String window("CompileForm");
inline constexpr QLatin1String startButton("Start");
inline constexpr QLatin1String endButton("End");
inline constexpr QLatin1String cancelButton("Cancel");
inline constexpr QLatin1String speedLabel("SpeedLabel");
inline constexpr QLatin1String speedBox("Speed");
inline constexpr QLatin1String tapLatency("TapLatency");
inline constexpr QLatin1String measureButton("Measure");
inline constexpr QLatin1String snapBox("SnapToOnsets");
inline constexpr QLatin1String snapWindow("SnapWindow");
inline constexpr QLatin1String timeline("Timeline");
inline constexpr QLatin1String saveButton("SaveTiming");
} // namespace CompileWindowObjectNames

// The "Make DWD file" window: a thin form over DwdCompiler. Its client area
// is an off-screen canvas that the compiler draws into at any time (paint
// events redraw it, then copy it); the Start, End and Cancel buttons sit in a
// row at the bottom left; the tap latency taken off every press and the
// button that measures it sit at the bottom right. The main window creates it
// with itself as host and
// keeps a reference that the host interface empties when the window closes;
// the window then destroys itself.
class CompileWindow : public QWidget, private CompileView {
    Q_OBJECT

public:
    static constexpr int OuterWidth = 434;
    // The script's part of the window, then the timing view's under it.
    static constexpr int ScriptOuterHeight = 277;
    static constexpr int TimelineHeight = 96;
    static constexpr int SnapRowHeight = 22;
    static constexpr int TimelineArea = TimelineHeight + SnapRowHeight + 6;
    static constexpr int OuterHeight = ScriptOuterHeight + TimelineArea;
    static constexpr int ButtonWidth = 57;
    static constexpr int ButtonHeight = 25;
    // The tap latency's label and its button stand right of this, at the
    // right end of the button row; the row's middle is left to other controls.
    static constexpr int LatencyAreaLeft = 290;
    static constexpr int MeasureButtonWidth = 45;
    // The label's font shrinks down to this before its text would be cut.
    static constexpr int MinLatencyFontPixels = 9;
    // The speed selector sits in the buttons' row, right of Cancel.
    static constexpr int SpeedLeft = 178;
    static constexpr int SpeedLabelWidth = 30;
    static constexpr int SpeedBoxWidth = 70;

    // Runs createForm: asks for a script when the editor has none. The tap
    // latency is read from settings, where the measuring dialog keeps it.
    CompileWindow(CompileHost& host, CdAudioDevice& device, MessageBoxes& boxes, FileDialogs& dialogs,
                  SettingsStore& settings, QWidget* parent = nullptr);
    ~CompileWindow() override;

    DwdCompiler& compiler() { return compiler_; }
    const ImageCanvas& canvas() const { return canvas_; }
    // A timing capture is running (the lyrics loader shows no lyrics meanwhile).
    bool compiling() const { return compiler_.compiling(); }
    // What the playback monitor asks before it ends the capture with end.
    bool captureRunning() const { return compiler_.captureRunning(); }
    // Where the measuring dialog's clicks are heard (the sound server's
    // output by default).
    void setClickSinkMaker(ClickTrack::SinkMaker makeSink) { clickSinkMaker_ = std::move(makeSink); }
    // The measuring dialog while it is open.
    TapCalibrationDialog* tapCalibrationForm() const { return calibrationForm_; }
    TimelineWidget* timeline() const { return timeline_; }
    // P plays from this long before the selected piece.
    static constexpr int PlayLeadInFrames = 2 * 75;

public Q_SLOTS:
    void start()
    {
        // A take ends the view's playing and looping.
        loopFrom_ = loopTo_ = -1;
        compiler_.start();
    }
    void end() { compiler_.end(); }
    void cancel() { compiler_.cancel(); }
    // The playback monitor saw the track change during a capture.
    void trackChanged() { compiler_.trackChanged(); }
    // The editor's new, open and save.
    void reloadScript() { compiler_.reloadScript(); }
    // Opens the dialog that measures the tap latency (or raises it).
    void openTapCalibration();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Tab and Shift+Tab select the pieces in the timing view.
    bool focusNextPrevChild(bool next) override;

private:
    void clientResized();
    void keyPressed(int key) { compiler_.keyPressed(key); }
    void shutDown();
    void fitOuterSize();
    void showTapLatency(int latencyMs);
    void fitTapLatencyFont();
    QPushButton* makeButton(QLatin1String name, const QString& caption, void (CompileWindow::*handler)());
    void makeSpeedSelector();
    // The check box that turns snapping on and the window it looks in; both
    // remembered in the settings.
    void makeSnapControls();
    void snapChanged();
    void makeTimeline();
    // The keys of the timing view between takes; true when one was used.
    bool editKey(const QKeyEvent& event);
    // Every 50 ms while the disc plays for the view: the playhead, the loop.
    void onViewTick();
    void playFromSelected();
    void loopSelectedLine();
    void saveEdits();
    void viewEdited();

    // CompileView
    void setStartEnabled(bool enabled) override;
    void focusWindow() override;
    void focusEndButton() override;

    ImageCanvas canvas_;
    DwdCompiler compiler_;
    SettingsStore& settings_;
    MessageBoxes& boxes_;
    SteadyClock clickClock_;
    ClickTrack::SinkMaker clickSinkMaker_;
    QPointer<TapCalibrationDialog> calibrationForm_;
    QPushButton* startButton_ = nullptr;
    QPushButton* endButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QLabel* tapLatencyLabel_ = nullptr;
    QPushButton* measureButton_ = nullptr;
    QLabel* speedLabel_ = nullptr;
    QComboBox* speedBox_ = nullptr;
    QCheckBox* snapBox_ = nullptr;
    QSpinBox* snapWindow_ = nullptr;
    TimelineWidget* timeline_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QTimer* viewTimer_ = nullptr;
    // L: the line's first and last frame while it loops; the view's play
    // stops once its end is heard otherwise.
    int loopFrom_ = -1;
    int loopTo_ = -1;
    HeldKeys heldKeys_;
    bool painting_ = false;
    bool outerSizeFitted_ = false;
    bool closed_ = false;
};
