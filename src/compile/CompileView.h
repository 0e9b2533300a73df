#pragma once

// What the compiler logic asks of its window: the controls it enables and
// the keyboard focus it moves. The window (CompileWindow) implements it.
class CompileView {
public:
    virtual ~CompileView() = default;

    virtual void setStartEnabled(bool enabled) = 0;
    // Space and Enter must reach keyPressed during a capture, so the window
    // itself takes the focus away from the buttons.
    virtual void focusWindow() = 0;
    // After the last piece: the next Space or Enter presses End.
    virtual void focusEndButton() = 0;
};
