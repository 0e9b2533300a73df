#pragma once

#include "lyrics/format/DwdReader.h"

#include <QByteArray>
#include <QList>

// The whole records of a DWD file's bytes, each with the offsets of its bytes,
// read from offset 11 on exactly as the player reads them: the list ends at
// the first record the bytes cut short, and nothing after it is looked at. The
// size the header gives is not consulted, so a file cut anywhere still yields
// every record that survived.
struct DwdRecordSpan {
    DwdReader::Record record;
    qint64 start = 0; // offset of the record's first byte
    qint64 end = 0;   // offset just past its last byte
};

namespace DwdRecordSpans {
QList<DwdRecordSpan> wholeRecords(const QByteArray& fileBytes);
}
