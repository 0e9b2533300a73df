#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <variant>

// Rebuilds a DWD file cut short anywhere (a timing capture killed by a crash
// or a power cut, a broken copy): every whole record is kept as it is, a
// broken last record is dropped, and the header is written anew with the size
// set right. The size the old header gives is never trusted.
class DwdRepair {
public:
    enum class Refusal {
        NotDwd,   // the bytes do not start with "DWD" (or a part of it)
        TooLarge, // the records kept do not fit the header's 32-bit size
    };

    struct Repaired {
        QByteArray bytes; // the whole new file
        qsizetype keptRecords = 0;
        qint64 droppedBytes = 0; // of a broken last record, after the header
    };

    using Result = std::variant<Repaired, Refusal>;

    static Result repair(const QByteArray& fileBytes);
};
