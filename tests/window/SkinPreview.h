#pragma once

#include "window/SkinPictures.h"

#include <QImage>

// Composes the skin's pictures at their places the way the main window will
// show them, for looking at and for checks on the whole.
struct SkinPreview {
    int clientHeight = 130;
    int mode = 0;              // which lamps are lit
    QString digits = "010000"; // track, minutes, seconds
    QStringList downButtons = {"Power1", "WordsOn1"};
    QStringList disabledButtons;
    QString pressedButton;

    QImage compose(const SkinPictures& skin) const;
};
