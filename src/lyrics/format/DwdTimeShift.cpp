#include "lyrics/format/DwdTimeShift.h"

#include "core/CdFrames.h"
#include "lyrics/format/DwdRecordSpans.h"
#include "lyrics/format/DwdRetime.h"

qint64 DwdTimeShift::framesForMilliseconds(qint64 ms)
{
    return (ms >= 0 ? ms * CdFrames::PerSecond + 500 : ms * CdFrames::PerSecond - 500) / 1000;
}

bool DwdTimeShift::showsText(QByteArrayView text)
{
    for (const char c : text) {
        if (c != ' ' && c != '\r' && c != '\n')
            return true;
    }
    return false;
}

DwdTimeShift::Result DwdTimeShift::shift(const QByteArray& fileBytes, qint64 frames)
{
    const QList<DwdRecordSpan> records = DwdRecordSpans::wholeRecords(fileBytes);

    QList<int> moves;
    TrackPosition time;
    for (qsizetype i = 0; i < records.size(); ++i) {
        const DwdRecordSpan& span = records[i];
        TrackPosition::addDelta(time, span.record.delta);
        qint64 moved = time.totalFrames() + frames;
        if (moved < 0) {
            if (showsText(span.record.text))
                return Refusal{Refusal::Reason::TextBeforeStart, int(i + 1), time, span.record.text};
            moved = 0;
        }
        if (moved / CdFrames::PerMinute > LatestMinute)
            return Refusal{Refusal::Reason::PastLatestTime, int(i + 1), time, span.record.text};
        moves.append(int(moved));
    }
    return DwdRetime::retime(fileBytes, moves);
}