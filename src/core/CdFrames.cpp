#include "core/CdFrames.h"

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
