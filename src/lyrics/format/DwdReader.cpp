#include "lyrics/format/DwdReader.h"

#include <QIODevice>
#include <QtEndian>

namespace {
bool readExactly(QIODevice& file, void* bytes, qint64 n)
{
    return file.read(static_cast<char*>(bytes), n) == n;
}

bool readInt16(QIODevice& file, qint16& value)
{
    uchar bytes[2];
    if (!readExactly(file, bytes, 2)) {
        return false;
    }
    value = qFromLittleEndian<qint16>(bytes);
    return true;
}

// Reads length bytes without trusting length: a seekable device is asked how
// much it still holds, anything else is read in bounded chunks.
bool readText(QIODevice& file, qint32 length, QByteArray& text)
{
    if (!file.isSequential() && qint64(length) > file.size() - file.pos()) {
        file.seek(file.size());
        return false;
    }
    constexpr qint32 Chunk = 64 * 1024;
    qint32 remaining = length;
    while (remaining > 0) {
        const qint32 step = qMin(remaining, Chunk);
        const qsizetype before = text.size();
        text.resize(before + step);
        const qint64 got = file.read(text.data() + before, step);
        if (got != step) {
            text.clear();
            return false;
        }
        remaining -= step;
    }
    return true;
}
} // namespace

DwdReader::Header DwdReader::readHeader(QIODevice& file)
{
    Header header;
    char signature[3];
    uchar reserved[4];
    uchar size[4];
    if (!readExactly(file, signature, 3)) {
        return header;
    }
    header.signatureMatches = QByteArrayView(signature, 3) == QByteArrayView("DWD");
    if (!readExactly(file, reserved, 4)) {
        return header;
    }
    header.reserved = qFromLittleEndian<quint32>(reserved);
    if (!readExactly(file, size, 4)) {
        return header;
    }
    header.fileSize = qFromLittleEndian<quint32>(size);
    header.ok = true;
    return header;
}

DwdReader::FileCheck DwdReader::checkFile(QIODevice& file)
{
    const Header header = readHeader(file);
    if (!header.ok) {
        return FileCheck::HeaderUnreadable;
    }
    if (!header.signatureMatches) {
        return FileCheck::BadSignature;
    }
    if (file.isSequential()) {
        return FileCheck::SizeUnknown;
    }
    if (file.size() != qint64(header.fileSize)) {
        return FileCheck::SizeMismatch;
    }
    return FileCheck::Valid;
}

QString DwdReader::checkMessage(FileCheck check)
{
    switch (check) {
    case FileCheck::Valid:
        return {};
    case FileCheck::HeaderUnreadable:
        return QStringLiteral("ヘッダを読み込めません。");
    case FileCheck::BadSignature:
        return QStringLiteral("このDWDファイルは壊れています。");
    case FileCheck::SizeUnknown:
        return QStringLiteral("ファイルサイズが読み込めません。");
    case FileCheck::SizeMismatch:
        return QStringLiteral("このDWDファイルは壊れています。\n（ファイルサイズの不一致）");
    }
    return {};
}

DwdReader::Record DwdReader::readRecord(QIODevice& file)
{
    Record record;
    uchar delta[6];
    if (!readExactly(file, delta, 6)) {
        record.end = RecordEnd::InTimeDelta;
        return record;
    }
    record.delta = {qFromLittleEndian<qint16>(delta), qFromLittleEndian<qint16>(delta + 2),
                    qFromLittleEndian<qint16>(delta + 4)};

    char count = 0;
    if (!readExactly(file, &count, 1)) {
        record.end = RecordEnd::AtCommandCount;
        return record;
    }
    record.commandCount = qint8(count);
    for (int i = 0; i < record.commandCount; ++i) {
        char code = 0;
        if (!readExactly(file, &code, 1)) {
            record.end = RecordEnd::AtCommandCode;
            return record;
        }
        DwdCommand command;
        command.code = quint8(code);
        const int arguments = DwdCode::argumentCount(command.code);
        for (int a = 0; a < arguments; ++a) {
            if (!readInt16(file, command.args[size_t(a)])) {
                command.args[size_t(a)] = 0;
                command.complete = false;
                record.commands.append(command);
                record.end = RecordEnd::InCommandArguments;
                return record;
            }
        }
        record.commands.append(command);
    }

    uchar length[4];
    if (!readExactly(file, length, 4)) {
        record.end = RecordEnd::AtTextLength;
        return record;
    }
    record.textLength = qFromLittleEndian<qint32>(length);
    if (record.textLength > 0 && !readText(file, record.textLength, record.text)) {
        record.end = RecordEnd::InText;
        return record;
    }
    record.end = RecordEnd::Complete;
    return record;
}
