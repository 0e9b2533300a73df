#pragma once

#include "lyrics/LyricState.h"
#include "lyrics/LyricsWindowHost.h"

#include <QByteArrayView>
#include <QString>
#include <functional>
#include <memory>

// Shows a script's lyrics as the display window will show them during
// playback, at the moment the piece before a given place has been reached:
// the same lyric state and display window as the player, fed with the
// pieces the compiler takes from the script instead of a lyrics file.
class CaretPreview {
public:
    // Makes the display window's host for a lyric state; the main window
    // gives the player's own kind of window.
    using WindowFactory = std::function<std::unique_ptr<LyricsWindowHost>(WordsSource&)>;

    explicit CaretPreview(const WindowFactory& makeWindow);
    ~CaretPreview();

    // Shows the picture with every piece that ends at or before `upTo` (a
    // byte offset of the script) reached. Returns the syntax error that
    // stopped the reading early, empty when the whole script was read.
    QString show(QByteArrayView script, qsizetype upTo);

    LyricsWindowHost& window() { return *host_; }
    const LyricState& lyrics() const { return lyrics_; }
    // The number of pieces drawn as reached in the last picture.
    int reached() const { return reached_; }

private:
    // Declared before the host, the lyric state outlives the window that reads it.
    LyricState lyrics_;
    std::unique_ptr<LyricsWindowHost> host_;
    int reached_ = 0;
};
