#include "lyrics/format/DwdRecordSpans.h"

#include "lyrics/format/DwdWriter.h"

#include <QBuffer>

QList<DwdRecordSpan> DwdRecordSpans::wholeRecords(const QByteArray& fileBytes)
{
    QList<DwdRecordSpan> spans;
    if (fileBytes.size() <= DwdWriter::HeaderSize)
        return spans;
    QByteArray copy = fileBytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    buffer.seek(DwdWriter::HeaderSize);
    for (;;) {
        DwdRecordSpan span;
        span.start = buffer.pos();
        span.record = DwdReader::readRecord(buffer);
        span.end = buffer.pos();
        if (!span.record.complete())
            return spans;
        Q_ASSERT(span.end > span.start);
        spans << span;
    }
}
