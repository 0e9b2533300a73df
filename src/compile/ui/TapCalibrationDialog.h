#pragma once

#include "compile/TapCalibration.h"
#include "compile/TapLatencyStore.h"
#include "platform/cdaudio/ClickTrack.h"

#include <QDialog>
#include <QLatin1String>
#include <QList>

class MessageBoxes;
class QLabel;
class QPushButton;
class QTimer;
class SettingsStore;

// The objectNames of the tap-latency dialog and its parts: what accessibility,
// the trace and tests find them by. Spelled here only.
namespace TapCalibrationObjectNames {
inline constexpr QLatin1String dialog("TapCalibrationForm");
inline constexpr QLatin1String notice("Notice");
inline constexpr QLatin1String result("Result");
inline constexpr QLatin1String kept("Kept");
inline constexpr QLatin1String startButton("Start");
inline constexpr QLatin1String saveButton("Save");
inline constexpr QLatin1String resetButton("Reset");
inline constexpr QLatin1String closeButton("Close");
// The lamp of each click of the count-in, from 0.
inline QString lamp(int click)
{
    return QStringLiteral("Lamp%1").arg(click);
}
} // namespace TapCalibrationObjectNames

// Measures the author's tap latency: Start plays the count-in, Space or Enter
// taps along, and the median offset is shown when the count-in is over. Save
// keeps it (Reset keeps 0) for the compiler window, which takes it off every
// timing press. A thin form over TapCalibration, ClickTrack and
// TapLatencyStore; the buttons never take the focus, so Space always taps.
class TapCalibrationDialog : public QDialog {
    Q_OBJECT

public:
    // How long a lamp stays lit after its click.
    static constexpr int LampMs = 150;
    // How often the lamps follow the sound while the count-in runs.
    static constexpr int PollMs = 10;

    TapCalibrationDialog(SettingsStore& settings, MessageBoxes& boxes, ClickTrack::SinkMaker makeSink,
                         QWidget* parent = nullptr);
    ~TapCalibrationDialog() override;

    const TapCalibration& calibration() const { return calibration_; }
    ClickTrack& clickTrack() { return clicks_; }
    // The latency measured by the last complete count-in, if it told one.
    std::optional<int> measured() const { return measured_; }

Q_SIGNALS:
    // A new value was kept.
    void keptChanged(int latencyMs);

public Q_SLOTS:
    void start();
    void saveLatency();
    void reset();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;

private:
    void follow();
    void finishCountIn();
    // The output went away: the count-in cannot end, so it is given up.
    void abandonCountIn();
    void keep(int latencyMs);
    void showKept();
    void lightLamps(std::optional<int> sounding);
    QPushButton* makeButton(QLatin1String name, const QString& caption,
                            void (TapCalibrationDialog::*handler)());

    TapLatencyStore store_;
    MessageBoxes& boxes_;
    TapCalibration calibration_;
    ClickTrack clicks_;
    std::optional<int> measured_;
    QTimer* poll_ = nullptr;
    QList<QLabel*> lamps_;
    QLabel* notice_ = nullptr;
    QLabel* result_ = nullptr;
    QLabel* kept_ = nullptr;
    QPushButton* Start = nullptr;
    QPushButton* Save = nullptr;
    QPushButton* Reset = nullptr;
    QPushButton* Close = nullptr;
};
