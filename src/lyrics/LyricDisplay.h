#pragma once

// What the lyric state asks of the window that shows it, while commands are
// applied during playback. The lyrics display window implements it.
class LyricDisplay {
public:
    // "formsize" in a damaged file must not ask for a picture larger than any screen.
    static constexpr int MaxClientSide = 4096;

    virtual ~LyricDisplay() = default;
    // "formsize": the window's client area becomes width x height; its resize handling redraws.
    virtual void setClientSize(int width, int height) = 0;
    // "backcolor": the window's own full redraw from the top left.
    virtual void clientResized() = 0;
};
