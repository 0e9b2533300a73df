#pragma once

#include "core/TrackPosition.h"

#include <QByteArray>
#include <QByteArrayView>

class QIODevice;

// Writes DWD files: an 11-byte header ("DWD", 4 zero bytes, the uint32 file
// size) and one record per timed piece (int16 minutes, seconds and frames
// since the previous piece, the command block, the int32 text length, the
// text). All integers little-endian.
class DwdWriter {
public:
    // Writes the header at the current position. The size field receives the
    // device's total size after the first 7 bytes: 7 when a capture starts,
    // the full length when the capture ends and rewrites the header at 0.
    static bool writeHeader(QIODevice& file);

    // Appends one record. commandBlock is the count byte and the commands as
    // the script reader built them; the text bytes are copied unchanged.
    static bool writeRecord(QIODevice& file, QByteArrayView pieceText, QByteArrayView commandBlock,
                            const TrackPosition& delta);

    // The 11 header bytes of a file of the given total length.
    static QByteArray headerBytes(quint32 fileSize);
    // The bytes writeRecord appends, for writers that place them themselves.
    static QByteArray recordBytes(QByteArrayView pieceText, QByteArrayView commandBlock,
                                  const TrackPosition& delta);
    // Offset and length of the header's size field.
    static constexpr qint64 SizeFieldOffset = 7;
    static constexpr qint64 HeaderSize = 11;
};
