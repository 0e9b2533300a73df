#pragma once

#include "player/PlayerState.h"

#include <QWidget>

class CdAudioDevice;
class MessageBoxes;
class SettingsStore;
class QAbstractButton;
class QTimer;

// The main player window. It owns the device session's use for its whole
// life: opened in the constructor, stopped and closed in FormClose.
class TOndelPlayer : public QWidget {
    Q_OBJECT

public:
    TOndelPlayer(CdAudioDevice& device, MessageBoxes& boxes, SettingsStore& settings, QWidget* parent = nullptr);
    ~TOndelPlayer() override;

    // Another program held the drive: the window must never be shown.
    bool refused() const { return refused_; }
    PlayerState& state() { return state_; }

    QString editorFileName() const { return state_.EditorFileName; }
    void setEditorFileName(const QString& name) { state_.EditorFileName = name; }

public Q_SLOTS:
    void Timer1Timer();
    void Power1Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void FormCreate();
    void FormPaint();
    void FormClose();
    void applicationRestored();

    CdAudioDevice& device_;
    MessageBoxes& boxes_;
    SettingsStore& settings_;
    PlayerState state_;
    bool refused_ = false;
    bool closed_ = false;

    QTimer* Timer1 = nullptr;
    QAbstractButton* Power1 = nullptr;
    QAbstractButton* MinimizeButtom1 = nullptr;
};
