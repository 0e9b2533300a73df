#pragma once

#include "core/TrackPosition.h"
#include "lyrics/format/DwdCommand.h"

#include <QByteArray>
#include <QList>
#include <QString>

class QIODevice;

// Reads DWD files sequentially from the device's current position, with the
// same small reads the player makes, so that a file cut anywhere ends exactly
// where the player's lyrics end. Nothing is allocated beyond what the file
// still holds: a text length past the end of the file is a short read.
class DwdReader {
public:
    struct Header {
        bool ok = false;               // all 11 bytes were read
        bool signatureMatches = false; // the first three bytes are "DWD"
        quint32 reserved = 0;
        quint32 fileSize = 0;
    };

    // Why the player refuses a file, in the order it checks.
    enum class FileCheck { Valid, HeaderUnreadable, BadSignature, SizeUnknown, SizeMismatch };

    // How far a record got before the file ended.
    enum class RecordEnd {
        Complete,
        InTimeDelta,        // nothing of the record counts
        AtCommandCount,     // the delta was read
        AtCommandCode,      // the commands read before the cut count
        InCommandArguments, // ... and the last command has complete == false
        AtTextLength,       // all commands were read
        InText,             // the text length was read, the text was not
    };

    struct Record {
        RecordEnd end = RecordEnd::InTimeDelta;
        TrackPosition delta;        // valid from AtCommandCount on
        qint8 commandCount = 0;     // the count byte as the player takes it
        QList<DwdCommand> commands; // in file order
        qint32 textLength = 0;      // as stored; 0 or less is an empty piece
        QByteArray text;            // the piece's bytes, when complete
        bool complete() const { return end == RecordEnd::Complete; }
        bool hasDelta() const { return end != RecordEnd::InTimeDelta; }
    };

    // Three reads of 3, 4 and 4 bytes; stops at the first short one.
    static Header readHeader(QIODevice& file);

    // readHeader plus the size check the player makes before it shows lyrics.
    // On Valid the device stands at the first record.
    static FileCheck checkFile(QIODevice& file);
    // The player's message for a refused file (empty for Valid).
    static QString checkMessage(FileCheck check);

    // One record: 6 bytes of delta, the count byte (signed: a count of 128 or
    // more reads as no commands, the way the player has always read it), each
    // command's code byte and int16 arguments, the int32 text length, the text.
    static Record readRecord(QIODevice& file);
};
