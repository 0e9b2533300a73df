#pragma once

#include "core/TextRect.h"

class LyricDisplay;
class TextCanvas;

// What the lyrics loading and stepping need from the windows around them: the
// lyrics display window, reached through one reference that is empty while no
// window exists, and the compiler window's timing capture. `LyricsWindowKeeper`
// (lyrics/ui) implements it on the real window, with hooks the main window sets;
// tests implement it without a screen.
class LyricsWindowHost {
public:
    virtual ~LyricsWindowHost() = default;

    virtual bool displayExists() const = 0;
    // Creates the display window when none exists, restores its saved position
    // and shows it (not modal). A window the user closed is shown again.
    virtual void showDisplay() = 0;
    // The display window's canvas and its reactions to commands; null while none exists.
    virtual TextCanvas* displayCanvas() = 0;
    virtual LyricDisplay* display() = 0;
    // (0, 0, client width, client height) of the display window.
    virtual TextRect displayClientRect() const = 0;
    // Destroys the display window, if any, and empties the reference; with
    // savePosition its position is saved first.
    virtual void destroyDisplay(bool savePosition) = 0;

    // The compiler window exists and its timing capture runs.
    virtual bool timingCaptureRunning() const = 0;
    // Milliseconds between two frames of the screen the display is on.
    virtual int frameIntervalMs() const { return DefaultFrameIntervalMs; }
    static constexpr int DefaultFrameIntervalMs = 16;
};
