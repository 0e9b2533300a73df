#pragma once

#include "core/TextRect.h"
#include "lyrics/DrawCursor.h"

#include <QtGlobal>

class ExtendedText;

// What the lyrics display window reads for its full redraw: the colours and
// texts of the lyric state the main window holds, and where it reports its
// client rectangle. `LyricState` implements it, so the main window can hand its
// lyric state over or forward to it.
class WordsSource {
public:
    virtual ~WordsSource() = default;
    virtual quint32 wordsBackColor() const = 0;
    virtual quint32 wordsFontColor() const = 0;
    virtual quint32 wordsPreColor() const = 0;
    virtual const ExtendedText& shownPreText() const = 0;
    virtual const ExtendedText& writtenText() const = 0;
    // The reached piece a wipe is still filling, and how far; none by default.
    virtual PartFill writtenFill() const { return {}; }
    virtual void setDisplayRect(const TextRect& rect) = 0;
};
