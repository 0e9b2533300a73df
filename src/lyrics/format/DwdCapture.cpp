#include "lyrics/format/DwdCapture.h"

#include "lyrics/format/CaptureStorage.h"
#include "lyrics/format/DwdWriter.h"

#include <QtEndian>

DwdCapture::~DwdCapture()
{
    if (running_)
        storage_.discard();
}

QString DwdCapture::workingName() const
{
    return storage_.workingName();
}

DwdCapture::Start DwdCapture::begin(const QString& outputName)
{
    return resume(outputName, {}, 0, TrackPosition{});
}

DwdCapture::Start DwdCapture::resume(const QString& outputName, QByteArrayView keptRecords,
                                     qsizetype scriptPosition, const TrackPosition& lastTime)
{
    if (running_)
        abandon();
    position_ = scriptPosition;
    ended_ = false;
    previous_ = lastTime;
    taken_.clear();
    if (!storage_.create(outputName))
        return Start::OpenFailed;
    const qint64 size = DwdWriter::HeaderSize + keptRecords.size();
    if (size > qint64(0xFFFFFFFFu) ||
        !storage_.writeAt(0, DwdWriter::headerBytes(quint32(size)) + keptRecords.toByteArray())) {
        storage_.discard();
        return Start::HeaderFailed;
    }
    fileSize_ = size;
    running_ = true;
    return Start::Started;
}

bool DwdCapture::writeSize(qint64 size)
{
    uchar bytes[4];
    qToLittleEndian(quint32(size), bytes);
    return storage_.writeAt(DwdWriter::SizeFieldOffset,
                            QByteArrayView(reinterpret_cast<const char*>(bytes), 4));
}

DwdCapture::Press DwdCapture::press(const TrackPosition& position, qint32& lineBreaks)
{
    Press result;
    if (ended_ || !running_) {
        // Once the script is used up, taking another piece would re-read its
        // last byte.
        result.outcome = Outcome::AfterEnd;
        return result;
    }
    const ScriptReader::Piece piece = ScriptReader::takePiece(script_, position_, lineBreaks);
    if (!piece.ok()) {
        result.outcome = Outcome::SyntaxError;
        result.error = piece.error;
        return result;
    }
    const QByteArray record = DwdWriter::recordBytes(piece.text, piece.commands.view(),
                                                     TrackPosition::timeDelta(position, previous_));
    const qint64 newSize = fileSize_ + record.size();
    // The record first, then the size that takes it in: until the size is
    // written the file still says it ends before the record.
    if (record.isEmpty() || newSize > qint64(0xFFFFFFFFu) || !storage_.writeAt(fileSize_, record) ||
        !writeSize(newSize)) {
        result.outcome = Outcome::WriteFailed;
        return result;
    }
    taken_.append({fileSize_, position_, previous_});
    fileSize_ = newSize;
    previous_ = position;
    position_ = piece.position;
    ended_ = piece.endOfScript;
    result.endOfScript = piece.endOfScript;
    result.pieceText = piece.text;
    return result;
}

bool DwdCapture::undo()
{
    if (!running_ || taken_.isEmpty())
        return false;
    const Taken last = taken_.last();
    // The size first: a file cut back before its size field follows would
    // claim bytes it no longer has.
    if (!writeSize(last.fileSize) || !storage_.truncate(last.fileSize)) {
        writeSize(fileSize_);
        return false;
    }
    taken_.removeLast();
    fileSize_ = last.fileSize;
    position_ = last.position;
    previous_ = last.previous;
    ended_ = false;
    return true;
}

bool DwdCapture::finish()
{
    if (!running_)
        return false;
    // The header says the full length already; it is written once more so
    // that a size write that failed unnoticed cannot survive the end.
    // Over either way: on failure the working file stays for the user.
    running_ = false;
    return writeSize(fileSize_) && storage_.commit();
}

void DwdCapture::abandon()
{
    if (!running_)
        return;
    storage_.discard();
    running_ = false;
}
