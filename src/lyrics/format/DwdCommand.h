#pragma once

#include <QByteArrayView>
#include <QtGlobal>
#include <array>
#include <optional>

// Display commands as stored in a DWD record: a code byte followed by its
// int16 arguments (the low 16 bits of the script's integers).
namespace DwdCode {
constexpr quint8 FormSize = 0;     // width, height
constexpr quint8 backColor = 1;    // red, green, blue
constexpr quint8 FontSize = 2;     // size
constexpr quint8 FontColor = 3;    // red, green, blue
constexpr quint8 FontPreColor = 4; // red, green, blue
constexpr quint8 SetCursor = 5;    // x, y
constexpr quint8 Clear = 6;
constexpr quint8 PausePre = 7;
constexpr quint8 WritePre = 8;

// How many int16 arguments follow the code; codes above 8 take none and change nothing.
constexpr int argumentCount(quint8 code)
{
    switch (code) {
    case FormSize:
    case SetCursor:
        return 2;
    case backColor:
    case FontColor:
    case FontPreColor:
        return 3;
    case FontSize:
        return 1;
    default:
        return 0;
    }
}

// The command's name in scripts ("fontsize"), or nullptr above 8.
const char* name(quint8 code);
// The code of a command name, matched exactly and case-sensitively.
std::optional<quint8> codeOf(QByteArrayView name);
} // namespace DwdCode

// One command read from a record. `complete` is false when the file ended
// inside its arguments: the arguments read so far are kept, the rest are 0,
// and the reader of the lyrics treats the file as ended.
struct DwdCommand {
    quint8 code = 0;
    std::array<qint16, 3> args{};
    bool complete = true;
};
