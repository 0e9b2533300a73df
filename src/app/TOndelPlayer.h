#pragma once

#include "app/WordsDisplayHost.h"
#include "compile/CompileHost.h"
#include "compile/ui/Compile.h"
#include "lyrics/LyricState.h"
#include "player/Association.h"
#include "player/LyricsPlayback.h"
#include "player/PlaybackMonitor.h"
#include "player/PlayerControls.h"
#include "player/PlayerState.h"
#include "player/Transport.h"
#include "window/DragMove.h"

#include <QHash>
#include <QPointer>
#include <QWidget>
#include <memory>

class CdAudioDevice;
class FileDialogs;
class MessageBoxes;
class PictureButton;
class PlayerPopupMenu;
class SettingsStore;
class QAction;
class QMouseEvent;
class QTimer;
class TDigitalDisplay;
class TImage;
class TShape;

// The main player window: a frameless dark panel built from the skin's
// pictures and picture buttons, clipped to its client area and dragged by its
// background and its display. It owns the device session's use for its whole
// life: opened in the constructor, stopped and closed in FormClose.
class TOndelPlayer : public QWidget, public PlayerControls, public CompileHost {
    Q_OBJECT

public:
    // Without file dialogs of its own the window asks on screen.
    TOndelPlayer(CdAudioDevice& device, MessageBoxes& boxes, SettingsStore& settings,
                 FileDialogs* dialogs = nullptr, QWidget* parent = nullptr);
    ~TOndelPlayer() override;

    // Another program held the drive: the window must never be shown.
    bool refused() const { return refused_; }
    PlayerState& state() { return state_; }

    QString editorFileName() const { return state_.EditorFileName; }
    void setEditorFileName(const QString& name) { state_.EditorFileName = name; }

    Transport& transport() { return transport_; }
    PlayerPopupMenu* popupMenu() const { return PopupMenu1; }

    // PlayerControls
    void setPlayEnabled(bool enabled) override;
    void setDigit(int index, char character) override;
    void showPlayMode(int playMode) override;
    void setApplicationTitle(const QString& title) override;
    bool minimizeButtonDown() const override;
    bool wordsOnDown() const override;
    void loadLyricsAtPlay() override { lyricsPlayback_.loadAtPlay(state_.CurrentTrack); }
    void releaseLyricsAtStop() override { lyricsPlayback_.releaseAtStop(); }
    void stepLyrics() override { lyricsPlayback_.stepLyrics(); }
    void lyricsSwitchedOff() override { lyricsPlayback_.wordsOff(); }
    HookResult endRunningCapture() override;
    void forgetCompilerWindow() override { CompileForm = nullptr; }

    // CompileHost
    QString EditorFileName() const override { return state_.EditorFileName; }
    void compilerWindowClosed() override;
    int CurrentTrack() const override { return state_.CurrentTrack; }
    void offerRelation(int track, const QString& dwdFile) override
    {
        association_.offerRelation(track, dwdFile);
    }

    // The compiler window while it exists; the monitor ends its capture.
    TCompileForm* compileForm() const { return CompileForm; }
    LyricsPlayback& lyricsPlayback() { return lyricsPlayback_; }

public Q_SLOTS:
    void Timer1Timer();
    void Power1Click();
    void PlayClick() override { transport_.PlayClick(); }
    void StopClick() override { transport_.StopClick(); }
    void RewClick() { transport_.RewClick(); }
    void FFClick() { transport_.FFClick(); }
    void Eject1Click() { transport_.Eject1Click(); }
    void SetModeClick() { transport_.SetModeClick(); }
    void RMenuModeNormalClick() { transport_.setPlayMode(0); }
    void RMenuModeRepeatClick() { transport_.setPlayMode(1); }
    void RMenuModeAllRepeatClick() { transport_.setPlayMode(2); }
    void RMenuModeRandomClick() { transport_.setPlayMode(3); }
    void WordsOn1Click();
    void RMenuWordsOnClick();
    void ExtendedButtom1Click();
    void MinimizeButtom1Click();
    void Image1Click();
    void RelationClick();
    // Opens the compiler window; its button and menu item stay disabled while it exists.
    void CompileClick();

    void FormMouseDown(QMouseEvent* event);
    void FormMouseMove(QMouseEvent* event);
    void Shape3MouseDown(QMouseEvent* event);
    void Shape3MouseUp(QMouseEvent* event);

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormPaint();
    void FormClose();
    void applicationRestored();
    void createComponents();
    void createPopupMenu();
    void createPalette();
    void applySkin();
    // Sizes the client area to the folded or extended height, puts the bottom
    // edge at its foot and clips the window to the client area.
    void setClientHeight(int height);
    void applyClip();
    // A left press on something that drags the window.
    void beginDrag(QMouseEvent* event);
    PictureButton* button(const QString& name) const;
    QAction* menuItem(const char* name) const;

    CdAudioDevice& device_;
    MessageBoxes& boxes_;
    SettingsStore& settings_;
    std::unique_ptr<FileDialogs> ownDialogs_;
    FileDialogs& dialogs_;
    PlayerState state_;
    Transport transport_{device_, state_, *this};
    PlaybackMonitor monitor_{device_, state_, *this, transport_};
    Association association_{device_, boxes_, settings_, dialogs_};
    // Declared after the lyric state, the display window it reads goes first.
    LyricState lyrics_;
    WordsDisplayHost wordsDisplay_{lyrics_};
    LyricsPlayback lyricsPlayback_{device_, boxes_, association_, lyrics_, wordsDisplay_};
    QPointer<TCompileForm> CompileForm;
    DragMove drag_;
    bool dragging_ = false; // the left button went down on something that drags the window
    bool refused_ = false;
    bool closed_ = false;
    bool screenWatched_ = false;
    qreal skinRatio_ = 0;

    QTimer* Timer1 = nullptr;
    QHash<QString, TImage*> images_; // edges, frames, title plate, lamps
    QHash<QString, PictureButton*> buttons_;
    TImage* Image9 = nullptr;
    TImage* NORMALImage0 = nullptr;
    TImage* REPEATImage0 = nullptr;
    TImage* RANDOMImage0 = nullptr;
    TShape* Shape3 = nullptr;
    TDigitalDisplay* ClockDisp[6] = {}; // ClockDisp1 … ClockDisp6
    PictureButton* Power1 = nullptr;
    PictureButton* MinimizeButtom1 = nullptr;
    PictureButton* Play = nullptr;
    PictureButton* ExtendedButtom1 = nullptr;
    PictureButton* GoSongEditer = nullptr;
    PictureButton* Compile = nullptr;
    PictureButton* Relation = nullptr;
    PictureButton* WordsOn1 = nullptr;

    PlayerPopupMenu* PopupMenu1 = nullptr;
};
