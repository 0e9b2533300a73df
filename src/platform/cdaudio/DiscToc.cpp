#include "platform/cdaudio/DiscToc.h"

int DiscToc::trackAt(int frame) const
{
    int track = 1;
    for (int t = 2; t <= trackCount(); ++t)
        if (frame >= trackStart(t))
            track = t;
    return track;
}
