#pragma once

#include "core/TextRect.h"

class DrawCursor;
class WordsSource;

// The whole lyrics picture drawn again from the lyric state: the rectangle
// filled with the background, the shown pre text in the pre colour and, over
// it, every reached piece (the one a wipe is filling only as far as it has
// filled). Every run carries its own position and font, so the picture does
// not depend on where the pen stood or on the canvas font before (which is as
// before afterwards): a redraw gives back exactly the picture the pieces were
// drawn into one by one.
class LyricPicture {
public:
    static void drawWhole(DrawCursor& cursor, const WordsSource& source, const TextRect& rect);
};
