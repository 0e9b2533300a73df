#pragma once

#include "lyrics/LyricsWindowHost.h"

#include <functional>
#include <memory>

class LyricsWindow;
class WordsSource;

// The lyrics display window as the main window keeps it: one reference, empty
// while no window exists, filled by the first play of a track with lyrics and
// emptied when the window is destroyed. The window paints the given lyric
// state. Saving and restoring the window's position, and asking the compiler
// window about its capture, are left to the hooks the main window sets.
class LyricsWindowKeeper final : public LyricsWindowHost {
public:
    explicit LyricsWindowKeeper(WordsSource& source);
    ~LyricsWindowKeeper() override;

    // The lyrics display window while it exists, else null.
    LyricsWindow* lyricsWindow() const { return window_.get(); }

    // Restores the saved position of a window about to be shown.
    std::function<void(LyricsWindow&)> loadPosition;
    // Saves the position: on a stop, on switching lyrics off, and when the user closes the window.
    std::function<void(LyricsWindow&)> savePosition;
    // The compiler window exists and its timing capture runs.
    std::function<bool()> captureRunning;
    // The user switched the wipe on or off in the window's menu.
    std::function<void(bool)> wipeChanged;

    // The wipe item's check mark, in the window now and in any window made later.
    void setWipeChecked(bool on);

    bool displayExists() const override { return window_ != nullptr; }
    void showDisplay() override;
    TextCanvas* displayCanvas() override;
    LyricDisplay* display() override;
    TextRect displayClientRect() const override;
    void destroyDisplay(bool savePosition) override;
    bool timingCaptureRunning() const override { return captureRunning && captureRunning(); }
    int frameIntervalMs() const override;

private:
    WordsSource& source_;
    std::unique_ptr<LyricsWindow> window_;
    bool wipe_ = false;
};
