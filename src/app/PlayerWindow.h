#pragma once

#include "compile/CompileHost.h"
#include "compile/ui/CompileWindow.h"
#include "editor/ScriptEditorHost.h"
#include "editor/ui/ScriptEditorWindow.h"
#include "lyrics/LyricState.h"
#include "lyrics/ui/LyricsWindowKeeper.h"
#include "player/Association.h"
#include "player/LyricsPlayback.h"
#include "player/PlaybackMonitor.h"
#include "player/PlayerControls.h"
#include "player/PlayerState.h"
#include "player/Transport.h"
#include "window/DragMove.h"
#include "window/MiniPlayerWindow.h"

#include <QHash>
#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>

class CdAudioDevice;
class FileDialogs;
class MessageBoxes;
class PictureButton;
class PlayerPopupMenu;
class SettingsStore;
class QAction;
class QMouseEvent;
class QTimer;
class DigitalDisplay;
class PictureWidget;
class ShapeWidget;

// The main player window: a frameless dark panel built from the skin's
// pictures and picture buttons, clipped to its client area and dragged by its
// background and its display. It owns the device session's use for its whole
// life: opened in the constructor, stopped and closed in shutDown.
class PlayerWindow : public QWidget, public PlayerControls, public CompileHost, public ScriptEditorHost {
    Q_OBJECT

public:
    // Without file dialogs of its own the window asks on screen.
    PlayerWindow(CdAudioDevice& device, MessageBoxes& boxes, SettingsStore& settings,
                 FileDialogs* dialogs = nullptr, QWidget* parent = nullptr);
    ~PlayerWindow() override;

    // Another program held the drive: the window must never be shown.
    bool refused() const { return refused_; }
    PlayerState& state() { return state_; }

    void setEditorFileName(const QString& name) override { state_.editorFileName = name; }

    Transport& transport() { return transport_; }
    PlayerPopupMenu* popupMenu() const { return popupMenu_; }

    // PlayerControls
    void setPlayEnabled(bool enabled) override;
    void setDigit(int index, char character) override;
    void showPlayMode(PlayMode mode) override;
    void setApplicationTitle(const QString& title) override;
    bool minimizeButtonDown() const override;
    bool wordsOnDown() const override;
    void loadLyricsAtPlay() override { lyricsPlayback_.loadAtPlay(state_.currentTrack); }
    void releaseLyricsAtStop() override { lyricsPlayback_.releaseAtStop(); }
    void stepLyrics() override { lyricsPlayback_.stepLyrics(); }
    void lyricsSwitchedOff() override { lyricsPlayback_.wordsOff(); }
    HookResult endRunningCapture() override;
    void forgetCompilerWindow() override { compileWindow_ = nullptr; }
    void reportNoDisc() override;
    void mirrorDigitsToMiniWindow() override;

    // CompileHost
    QString editorFileName() const override { return state_.editorFileName; }
    void compilerWindowClosed() override;
    int currentTrack() const override { return state_.currentTrack; }
    QString discImagePath() const override { return discImagePath_ ? discImagePath_() : QString(); }
    // Names the image file behind the disc now playing (empty for a drive):
    // the disc can change while the player runs, so it is asked each time.
    void setDiscImagePath(std::function<QString()> path) { discImagePath_ = std::move(path); }
    void offerRelation(int track, const QString& dwdFile) override
    {
        association_.offerRelation(track, dwdFile);
    }

    // ScriptEditorHost
    void reloadCompilerScript() override;
    void scriptEditorClosed() override;

    // The script editor while it exists.
    ScriptEditorWindow* scriptEditorWindow() const { return editorWindow_; }

    // The compiler window while it exists; the monitor ends its capture.
    CompileWindow* compileWindow() const { return compileWindow_; }
    LyricsPlayback& lyricsPlayback() { return lyricsPlayback_; }
    // The mini window while the player is in mini mode.
    MiniPlayerWindow* miniWindow() const { return miniWindow_; }
    // The window a message box of the player belongs to: the strip in mini
    // mode, else the main window.
    QWidget* boxOwner();

    static QString noDiscMessage();

Q_SIGNALS:
    // The player has shut down: the program ends, whichever window is still up.
    void closed();

public Q_SLOTS:
    void onTick();
    void onPowerClicked();
    void play() override { transport_.play(); }
    void stop() override { transport_.stop(); }
    void rewind() { transport_.rewind(); }
    void fastForward() { transport_.fastForward(); }
    void eject() { transport_.eject(); }
    void cyclePlayMode() { transport_.cyclePlayMode(); }
    void setNormalMode() { transport_.setPlayMode(PlayMode::Normal); }
    void setRepeatMode() { transport_.setPlayMode(PlayMode::RepeatOne); }
    void setRepeatAllMode() { transport_.setPlayMode(PlayMode::RepeatAll); }
    void setRandomMode() { transport_.setPlayMode(PlayMode::Random); }
    void onLyricsButtonClicked();
    void onLyricsItemClicked();
    void onExtendClicked();
    void onMinimizeClicked();
    // Enters or leaves mini mode by the check mark of RMenuResize.
    void onMiniModeItemClicked();
    void showVersion();
    void onRelationClicked();
    // Opens the compiler window; its button and menu item stay disabled while it exists.
    void openCompileWindow();
    // Opens the script editor; its button and menu item stay disabled while it exists.
    void openScriptEditor();

    void onPanelMousePress(QMouseEvent* event);
    void onPanelMouseMove(QMouseEvent* event);
    void onDisplayMousePress(QMouseEvent* event);
    void onDisplayMouseRelease(QMouseEvent* event);

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
    void createForm();
    void hideBeforeFirstPaint();
    void loadPlayerState();
    void savePlayerState();
    void enterMiniMode();
    void leaveMiniMode();
    // A position read from the settings, moved onto a screen if it is on none.
    QPoint onScreen(QRect window) const;
    // A place for a window, moved so that all of it is on one screen.
    QPoint wholeOnScreen(QRect window) const;
    // The keyboard's ways to every player command, on the main window and on the strip.
    void installShortcuts(QWidget* window);
    // Space: a button that shows the focus is pressed; otherwise Play, or Stop while Play is disabled.
    void spaceKey();
    void popupMenuFromKeyboard(QWidget* window);
    void describeControls();
    void updateAccessibleDisplay();
    // The title the disc gives the track on the digits, as the tooltip of
    // the digits and of the mini strip's; asked of the device once per track.
    void showTrackTitle();
    void applyTrackTitle();
    // The lengths view lasts while the left button is held on the panel.
    void beginLengthsView();
    void endLengthsView();
    void shutDown();
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
    QAction* menuItem(QLatin1String name) const;

    CdAudioDevice& device_;
    MessageBoxes& boxes_;
    SettingsStore& settings_;
    std::function<QString()> discImagePath_;
    std::unique_ptr<FileDialogs> ownDialogs_;
    FileDialogs& dialogs_;
    PlayerState state_;
    Transport transport_{device_, state_, *this};
    PlaybackMonitor monitor_{device_, state_, *this, transport_};
    Association association_{device_, boxes_, settings_, dialogs_};
    // Declared after the lyric state, the display window it reads goes first.
    LyricState lyrics_;
    LyricsWindowKeeper wordsDisplay_{lyrics_};
    LyricsPlayback lyricsPlayback_{device_, boxes_, association_, lyrics_, wordsDisplay_};
    QPointer<CompileWindow> compileWindow_;
    QPointer<ScriptEditorWindow> editorWindow_;
    DragMove drag_;
    bool dragging_ = false; // the left button went down on something that drags the window
    bool refused_ = false;
    bool closed_ = false;
    bool screenWatched_ = false;
    QString accessibleDisplay_;
    std::array<char, 9> accessibleShown_{}; // the six digits and the three lamps last described
    qreal skinRatio_ = 0;

    QTimer* tickTimer_ = nullptr;
    int tickDepth_ = 0;                     // ticks running, each inside a box the one before opened
    int rescuedDepth_ = 0;                  // the deepest of them whose box the timer was started anew for
    QHash<QString, PictureWidget*> images_; // edges, frames, title plate, lamps
    QHash<QString, PictureButton*> buttons_;
    PictureWidget* bottomEdge_ = nullptr;
    PictureWidget* normalLamp_ = nullptr;
    PictureWidget* repeatLamp_ = nullptr;
    PictureWidget* randomLamp_ = nullptr;
    ShapeWidget* displayPanel_ = nullptr;
    DigitalDisplay* digits_[6] = {}; // ClockDisp1 … ClockDisp6
    PictureButton* powerButton_ = nullptr;
    PictureButton* minimizeButton_ = nullptr;
    PictureButton* playButton_ = nullptr;
    QAction* playItem_ = nullptr;
    std::optional<bool> playEnabled_; // as last set; the first tick sets it
    PictureButton* extendButton_ = nullptr;
    PictureButton* editorButton_ = nullptr;
    PictureButton* compileButton_ = nullptr;
    PictureButton* relationButton_ = nullptr;
    PictureButton* lyricsButton_ = nullptr;

    PlayerPopupMenu* popupMenu_ = nullptr;
    QPointer<MiniPlayerWindow> miniWindow_;
    struct TitleKey {
        int track = 0;
        int trackCount = 0;
        bool doorOpen = false;
        friend bool operator==(const TitleKey&, const TitleKey&) = default;
    };
    std::optional<TitleKey> titleKey_;
    QString trackTitle_;
};
