#pragma once

#include "lyrics/format/ChangeableSizeData.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

// Reads lyrics scripts: Shift-JIS text with CR LF line breaks and embedded
// display commands, taken one piece per timing key press. The grammar is at
// the top of ScriptReader.cpp.
class ScriptReader {
public:
    // What one key press takes from the script.
    struct Piece {
        QByteArray text;             // the piece's bytes, with the whitespace around it
        ChangeableSizeData commands; // count byte, then code bytes and int16 arguments
        qsizetype position = 0;      // where the next piece starts
        bool endOfScript = false;    // this was the last piece: the script is used up
        QString error;               // a syntax error; nothing else is valid then
        bool ok() const { return error.isEmpty(); }
    };

    struct Preview {
        QByteArray text; // the script with commands removed and brackets resolved
        QString error;   // set when the text stops early at a syntax error
    };

    // Takes the piece that starts at position; lineBreaks grows by the line
    // breaks taken into the piece (the compiler scrolls them away later).
    static Piece takePiece(QByteArrayView script, qsizetype position, qint32& lineBreaks);
    static Preview buildPreviewText(QByteArrayView script);

    // A command argument: decimal with an optional sign, or hexadecimal after
    // "$", "x" or "0x" (also signed). Nullopt for anything else, an empty text
    // or a value that does not fit in 32 bits.
    static std::optional<qint32> parseInteger(QByteArrayView text);

    // At most this many commands may stand in front of one piece: the player
    // reads the count byte as a signed number.
    static constexpr int MaxCommandsPerPiece = 127;

    static QString missingBracketMessage();
    static QString missingParenthesisMessage();
    static QString missingArgumentMessage();
    static QString notIntegerMessage();
    static QString unknownCommandMessage();
    static QString tooManyCommandsMessage();
};
