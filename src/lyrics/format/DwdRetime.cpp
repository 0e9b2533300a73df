#include "lyrics/format/DwdRetime.h"

#include "lyrics/format/DwdRecordSpans.h"
#include "lyrics/format/DwdWriter.h"

#include <QtEndian>

QList<int> DwdRetime::pieceFrames(const QByteArray& fileBytes)
{
    QList<int> frames;
    TrackPosition time;
    for (const DwdRecordSpan& span : DwdRecordSpans::wholeRecords(fileBytes)) {
        TrackPosition::addDelta(time, span.record.delta);
        frames.append(time.totalFrames());
    }
    return frames;
}

QByteArray DwdRetime::retime(const QByteArray& fileBytes, const QList<int>& frames)
{
    const QList<DwdRecordSpan> records = DwdRecordSpans::wholeRecords(fileBytes);
    Q_ASSERT(records.size() == frames.size());
    QByteArray retimed = fileBytes.left(DwdWriter::HeaderSize);
    int previous = 0;
    for (qsizetype i = 0; i < records.size(); ++i) {
        const TrackPosition delta = TrackPosition::timeDelta(TrackPosition::fromFrames(frames[i]),
                                                             TrackPosition::fromFrames(previous));
        previous = frames[i];
        // The record's first six bytes are its delta; the rest stays as it is.
        QByteArray record = fileBytes.mid(records[i].start, records[i].end - records[i].start);
        const qint16 fields[3] = {delta.minutes, delta.seconds, delta.frames};
        for (int f = 0; f < 3; ++f)
            qToLittleEndian(fields[f], record.data() + 2 * f);
        retimed += record;
    }
    retimed += fileBytes.mid(records.isEmpty() ? DwdWriter::HeaderSize : records.last().end);
    return retimed;
}
