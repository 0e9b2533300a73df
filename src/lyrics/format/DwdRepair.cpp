#include "lyrics/format/DwdRepair.h"

#include "lyrics/format/DwdRecordSpans.h"
#include "lyrics/format/DwdWriter.h"

#include <QtGlobal>

DwdRepair::Result DwdRepair::repair(const QByteArray& fileBytes)
{
    // A file cut inside its signature may still be the start of one.
    if (!QByteArrayView("DWD").startsWith(fileBytes.left(3)))
        return Refusal::NotDwd;
    const QList<DwdRecordSpan> records = DwdRecordSpans::wholeRecords(fileBytes);
    const qint64 kept = records.isEmpty() ? DwdWriter::HeaderSize : records.last().end;
    if (kept > qint64(0xFFFFFFFFu))
        return Refusal::TooLarge;

    Repaired repaired;
    repaired.bytes = DwdWriter::headerBytes(quint32(kept));
    if (!records.isEmpty())
        repaired.bytes += fileBytes.mid(DwdWriter::HeaderSize, kept - DwdWriter::HeaderSize);
    repaired.keptRecords = records.size();
    repaired.droppedBytes = qMax<qint64>(0, fileBytes.size() - qMax<qint64>(kept, DwdWriter::HeaderSize));
    Q_ASSERT(repaired.bytes.size() == kept);
    return repaired;
}
