#include "lyrics/format/DwdWriter.h"

#include <QBuffer>
#include <QIODevice>
#include <QtEndian>

namespace {
bool writeAll(QIODevice& file, const void* bytes, qint64 n)
{
    return file.write(static_cast<const char*>(bytes), n) == n;
}

bool writeInt16(QIODevice& file, qint16 value)
{
    uchar bytes[2];
    qToLittleEndian(value, bytes);
    return writeAll(file, bytes, 2);
}

} // namespace

bool DwdWriter::writeHeader(QIODevice& file)
{
    const char zeros[4] = {0, 0, 0, 0};
    if (!writeAll(file, "DWD", 3) || !writeAll(file, zeros, 4)) {
        return false;
    }
    if (file.isSequential()) {
        return false; // no total size to ask for
    }
    const qint64 size = file.size();
    if (size < 0 || size > qint64(0xFFFFFFFFu)) {
        return false;
    }
    uchar bytes[4];
    qToLittleEndian(quint32(size), bytes);
    return writeAll(file, bytes, 4);
}

bool DwdWriter::writeRecord(QIODevice& file, QByteArrayView pieceText, QByteArrayView commandBlock,
                            const TrackPosition& delta)
{
    if (pieceText.size() > 0x7FFFFFFF) {
        return false;
    }
    if (!writeInt16(file, delta.minutes) || !writeInt16(file, delta.seconds) ||
        !writeInt16(file, delta.frames)) {
        return false;
    }
    if (!writeAll(file, commandBlock.data(), commandBlock.size())) {
        return false;
    }
    uchar length[4];
    qToLittleEndian(qint32(pieceText.size()), length);
    if (!writeAll(file, length, 4)) {
        return false;
    }
    return pieceText.isEmpty() || writeAll(file, pieceText.data(), pieceText.size());
}

QByteArray DwdWriter::headerBytes(quint32 fileSize)
{
    QByteArray bytes("DWD\0\0\0\0", 7);
    uchar size[4];
    qToLittleEndian(fileSize, size);
    bytes.append(reinterpret_cast<const char*>(size), 4);
    return bytes;
}

QByteArray DwdWriter::recordBytes(QByteArrayView pieceText, QByteArrayView commandBlock,
                                  const TrackPosition& delta)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!writeRecord(buffer, pieceText, commandBlock, delta))
        return {};
    return bytes;
}
