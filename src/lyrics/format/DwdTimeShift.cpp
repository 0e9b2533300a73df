#include "lyrics/format/DwdTimeShift.h"

#include "core/CdFrames.h"
#include "lyrics/format/DwdRecordSpans.h"
#include "lyrics/format/DwdWriter.h"

#include <QtEndian>

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

    QByteArray shifted = fileBytes.left(DwdWriter::HeaderSize);
    TrackPosition time;
    qint64 previous = 0;
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
        const TrackPosition delta = TrackPosition::timeDelta(TrackPosition::fromFrames(int(moved)),
                                                             TrackPosition::fromFrames(int(previous)));
        previous = moved;
        // The record's first six bytes are its delta; the rest stays as it is.
        QByteArray record = fileBytes.mid(span.start, span.end - span.start);
        Q_ASSERT(record.size() >= 6);
        const qint16 fields[3] = {delta.minutes, delta.seconds, delta.frames};
        for (int f = 0; f < 3; ++f)
            qToLittleEndian(fields[f], record.data() + 2 * f);
        shifted += record;
    }
    // Whatever follows the last whole record stays as it was.
    shifted += fileBytes.mid(records.isEmpty() ? DwdWriter::HeaderSize : records.last().end);
    return shifted;
}
