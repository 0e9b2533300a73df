#pragma once

#include "player/PlaybackMonitor.h"
#include "player/PlayerControls.h"
#include "player/PlayerState.h"
#include "player/Transport.h"

#include <QWidget>

class CdAudioDevice;
class MessageBoxes;
class SettingsStore;
class QAbstractButton;
class QAction;
class QLabel;
class QMenu;
class QMouseEvent;
class QTimer;
class TDigitalDisplay;
class TShape;

// The main player window. It owns the device session's use for its whole
// life: opened in the constructor, stopped and closed in FormClose.
class TOndelPlayer : public QWidget, public PlayerControls {
    Q_OBJECT

public:
    TOndelPlayer(CdAudioDevice& device, MessageBoxes& boxes, SettingsStore& settings, QWidget* parent = nullptr);
    ~TOndelPlayer() override;

    // Another program held the drive: the window must never be shown.
    bool refused() const { return refused_; }
    PlayerState& state() { return state_; }

    QString editorFileName() const { return state_.EditorFileName; }
    void setEditorFileName(const QString& name) { state_.EditorFileName = name; }

    Transport& transport() { return transport_; }

    // PlayerControls
    void setPlayEnabled(bool enabled) override;
    void setDigit(int index, char character) override;
    void showPlayMode(int playMode) override;
    void setApplicationTitle(const QString& title) override;
    bool minimizeButtonDown() const override;
    bool wordsOnDown() const override;

public Q_SLOTS:
    void Timer1Timer();
    void Power1Click();
    void PlayClick() { transport_.PlayClick(); }
    void StopClick() { transport_.StopClick(); }
    void RewClick() { transport_.RewClick(); }
    void FFClick() { transport_.FFClick(); }
    void Eject1Click() { transport_.Eject1Click(); }
    void SetModeClick() { transport_.SetModeClick(); }
    void Shape3MouseDown(QMouseEvent* event);
    void Shape3MouseUp(QMouseEvent* event);

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void FormCreate();
    void FormPaint();
    void FormClose();
    void applicationRestored();
    void createDisplayPanel();
    void createTransportButtons();
    void createPopupMenu();

    CdAudioDevice& device_;
    MessageBoxes& boxes_;
    SettingsStore& settings_;
    PlayerState state_;
    Transport transport_{device_, state_, *this};
    PlaybackMonitor monitor_{device_, state_, *this, transport_};
    bool refused_ = false;
    bool closed_ = false;

    QTimer* Timer1 = nullptr;
    QAbstractButton* Power1 = nullptr;
    QAbstractButton* MinimizeButtom1 = nullptr;
    QAbstractButton* WordsOn1 = nullptr; // placed with the lyrics switch; down until then

    TShape* Shape3 = nullptr;
    TShape* Shape1 = nullptr;
    TShape* Shape2 = nullptr;
    TDigitalDisplay* ClockDisp[6] = {}; // ClockDisp1 … ClockDisp6
    QLabel* NORMALImage1 = nullptr;
    QLabel* NORMALImage0 = nullptr;
    QLabel* REPEATImage1 = nullptr;
    QLabel* REPEATImage0 = nullptr;
    QLabel* RANDOMImage1 = nullptr;
    QLabel* RANDOMImage0 = nullptr;

    QAbstractButton* Play = nullptr;
    QAbstractButton* Stop = nullptr;
    QAbstractButton* Rew = nullptr;
    QAbstractButton* FF = nullptr;
    QAbstractButton* Eject1 = nullptr;
    QAbstractButton* SetMode = nullptr;

    QMenu* PopupMenu1 = nullptr;
    QAction* RMenuPlay = nullptr;
    QAction* RMenuModeItems[4] = {}; // RMenuModeNormal, RMenuModeRepeat, RMenuModeAllRepeat, RMenuModeRandom
};
