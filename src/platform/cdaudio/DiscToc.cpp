#include "DiscToc.h"

QByteArray CdFrames::formatMsf(int frames)
{
    if (frames < 0)
        frames = 0;
    const int minutes = frames / PerMinute;
    const int seconds = frames / PerSecond % 60;
    const int rest = frames % PerSecond;
    return QByteArray::number(minutes).rightJustified(2, '0') + ':' +
           QByteArray::number(seconds).rightJustified(2, '0') + ':' +
           QByteArray::number(rest).rightJustified(2, '0');
}

QByteArray CdFrames::formatTmsf(int track, int framesIntoTrack)
{
    return QByteArray::number(track).rightJustified(2, '0') + ':' + formatMsf(framesIntoTrack);
}

int DiscToc::trackAt(int frame) const
{
    int track = 1;
    for (int t = 2; t <= trackCount(); ++t)
        if (frame >= trackStart(t))
            track = t;
    return track;
}
