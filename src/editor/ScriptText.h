#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Converts a script file's bytes to the text shown in the editor and back,
// so that a file opened and saved unchanged comes back byte for byte.
//
// Shown as text: every Shift-JIS (Windows-31J) character, CR LF as a line
// break and the tab. Everything else appears as a visible placeholder that
// is written back as the original byte:
//   - a control byte, a lone CR, a lone LF and a zero byte: the control
//     picture U+2400 + byte (U+2421 for 0x7F);
//   - a byte of 0x80 or more that starts no character: the Braille pattern
//     U+2800 + byte, whose dots spell the byte's bits.
// A few characters have more than one Shift-JIS code (the duplicates in the
// vendor extension rows); a code other than the usual one is shown as the
// character followed by the invisible variation selector U+FE00 + n, the
// n-th other code in code order. None of these placeholders is a Shift-JIS
// character itself, so nothing read from a file can be mistaken for one.
// A line break typed in the editor is written as CR LF.
class ScriptText {
public:
    // The editor text for a file's bytes.
    static QString toEditText(QByteArrayView bytes);

    struct Encoded {
        QByteArray bytes;
        // The position in the text of the first character that Shift-JIS
        // cannot hold, -1 when every character was written.
        qsizetype unencodable = -1;
        // For every UTF-16 position of the text, the offset of its bytes;
        // one more entry for the end. Filled only on request.
        QList<qsizetype> byteOffsets;
        bool ok() const { return unencodable < 0; }
    };
    // The file's bytes for an editor text. A character that Shift-JIS cannot
    // hold is left out and reported.
    static Encoded fromEditText(QStringView text, bool withOffsets = false);

    // The byte a placeholder stands for, or -1 when the character is none.
    static int placeholderByte(char32_t c);
    static bool isPlaceholder(char32_t c) { return placeholderByte(c) >= 0; }
};
