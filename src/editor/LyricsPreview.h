#pragma once

#include "lyrics/LyricState.h"
#include "lyrics/WordsDisplayHost.h"

#include <QByteArrayView>
#include <QString>

class TWordsDisplayForm;

// Shows a script's lyrics as the display window will show them during
// playback, at the moment the piece before a given place has been reached:
// the same lyric state and display window as the player, fed with the
// pieces the compiler takes from the script instead of a lyrics file.
class LyricsPreview {
public:
    LyricsPreview();
    ~LyricsPreview();

    // Shows the picture with every piece that ends at or before `upTo` (a
    // byte offset of the script) reached. Returns the syntax error that
    // stopped the reading early, empty when the whole script was read.
    QString show(QByteArrayView script, qsizetype upTo);

    TWordsDisplayForm* window() const { return host_.WordsDisplayForm(); }
    const LyricState& lyrics() const { return lyrics_; }
    // The number of pieces drawn as reached in the last picture.
    int reached() const { return reached_; }

private:
    // Declared before the host, the lyric state outlives the window that reads it.
    LyricState lyrics_;
    WordsDisplayHost host_{lyrics_};
    int reached_ = 0;
};
