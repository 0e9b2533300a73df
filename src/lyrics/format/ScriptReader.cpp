#include "lyrics/format/ScriptReader.h"

#include "lyrics/format/AnsiStringSupport.h"
#include "lyrics/format/DwdCommand.h"
#include "lyrics/format/ShiftJis.h"

#include <QtEndian>

// Grammar of a lyrics script, as taken by one key press (byte strings,
// Shift-JIS; WS is a space or a CR, and a CR always stands for two bytes):
//
//   piece    := WS* command* char-piece? WS*
//   command  := "[/" name ( "(" args ")" junk )? "]" WS*      name[0] != "/"
//   char-piece := "[[" (the piece "[")
//              | "[" text "]" ("]")?                           text[0] not "/" or "["
//              | "[//" text "]" ("]")?   (the piece "/" text)
//              | lead-byte byte | byte
//
// Spaces and CR LF pairs inside a command are removed before the name is
// looked up and the arguments are converted. Whitespace in front of a piece
// and behind it is copied into the piece; whitespace behind a command is
// dropped. A "]" right after the "]" of a group belongs to the group's piece
// as a literal "]" (so [a]]b] gives the pieces a], b and ], exactly as the
// preview shows it). Group texts are scanned Shift-JIS aware; the "]" of a
// command is found by a plain byte search.

namespace {
const char CR = '\r';

// Removes every space, then every CR LF pair.
QByteArray squeeze(QByteArrayView text)
{
    QByteArray out = text.toByteArray();
    out.replace(" ", "");
    out.replace("\r\n", "");
    return out;
}

void appendInt16(ChangeableSizeData& block, qint32 value)
{
    uchar bytes[2];
    qToLittleEndian(quint16(quint32(value) & 0xFFFF), bytes);
    block.append(bytes, 2);
}

// Converts one argument and appends it; false on a non-integer.
bool appendArgument(ChangeableSizeData& block, QByteArrayView text)
{
    const std::optional<qint32> value = ScriptReader::parseInteger(text);
    if (!value) {
        return false;
    }
    appendInt16(block, *value);
    return true;
}

int digitValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}
} // namespace

QString ScriptReader::missingBracketMessage()
{
    return QStringLiteral("文法に誤りがあります。\n ] がありません。");
}

QString ScriptReader::missingParenthesisMessage()
{
    return QStringLiteral("文法に誤りがあります。\n ) がありません。");
}

QString ScriptReader::missingArgumentMessage()
{
    return QStringLiteral("文法に誤りがあります。\n 引数が足りません");
}

QString ScriptReader::notIntegerMessage()
{
    return QStringLiteral("文法に誤りがあります。\n 引数が整数ではありません。");
}

QString ScriptReader::unknownCommandMessage()
{
    return QStringLiteral("文法に誤りがあります。\n 存在しない命令があります。");
}

QString ScriptReader::tooManyCommandsMessage()
{
    return QStringLiteral("文法に誤りがあります。\n 一つの歌詞の前に置ける命令は127個までです。");
}

std::optional<qint32> ScriptReader::parseInteger(QByteArrayView text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        base = 16;
        i += 1;
    }
    else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size()) {
        return std::nullopt;
    }
    // Hexadecimal takes any 32-bit pattern ($FFFFFFFF is -1); decimal must
    // fit the signed range.
    const quint64 limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    quint64 value = 0;
    for (; i < text.size(); ++i) {
        const int digit = digitValue(text[i]);
        if (digit < 0 || digit >= base) {
            return std::nullopt;
        }
        value = value * quint64(base) + quint64(digit);
        if (value > limit) {
            return std::nullopt;
        }
    }
    const quint32 bits = quint32(value);
    return qint32(negative ? 0u - bits : bits);
}

ScriptReader::Piece ScriptReader::takePiece(QByteArrayView script, qsizetype position, qint32& lineBreaks)
{
    const qsizetype length = script.size();
    qsizetype pos = position;
    // The byte k ahead of the read position, 0 past the end.
    auto at = [&](qsizetype k) -> char {
        const qsizetype offset = pos + k;
        return offset >= 0 && offset < length ? script[offset] : '\0';
    };
    Piece piece;
    auto fail = [&](const QString& message) {
        piece.error = message;
        piece.position = pos;
        return std::move(piece);
    };
    auto takeWhitespace = [&] {
        while (at(0) == CR || at(0) == ' ') {
            if (at(0) == CR) {
                piece.text += "\r\n";
                pos += 2;
                ++lineBreaks;
            }
            else {
                piece.text += ' ';
                pos += 1;
            }
        }
    };

    takeWhitespace();

    piece.commands.setByte(0);
    int count = 0;
    while (at(0) == '[' && at(1) == '/' && at(2) != '/') {
        pos += 2;
        const QByteArrayView rest = script.sliced(pos);
        const qsizetype close = rest.indexOf(']');
        if (close < 0) {
            return fail(missingBracketMessage());
        }
        pos += close + 1;
        const QByteArrayView body = rest.first(close);
        QByteArrayView name = body;
        QByteArrayView arguments;
        const qsizetype open = body.indexOf('(');
        if (open >= 0) {
            name = body.first(open);
            const QByteArrayView afterOpen = body.sliced(open + 1);
            const qsizetype shut = afterOpen.indexOf(')');
            if (shut < 0) {
                return fail(missingParenthesisMessage());
            }
            arguments = afterOpen.first(shut);
        }
        const QByteArray cleanName = squeeze(name);
        const QByteArray cleanArguments = squeeze(arguments);
        const std::optional<quint8> code = DwdCode::codeOf(cleanName);
        if (!code) {
            return fail(unknownCommandMessage());
        }
        if (count == MaxCommandsPerPiece) {
            return fail(tooManyCommandsMessage());
        }
        piece.commands.appendByte(*code);

        // Arguments are converted as they are split, so a bad first argument
        // is reported before a missing comma.
        QByteArrayView remaining = cleanArguments;
        const int wanted = DwdCode::argumentCount(*code);
        for (int index = 0; index < wanted; ++index) {
            QByteArrayView argument = remaining;
            if (index + 1 < wanted) {
                const qsizetype comma = remaining.indexOf(',');
                if (comma < 0) {
                    return fail(missingArgumentMessage());
                }
                argument = remaining.first(comma);
                remaining = remaining.sliced(comma + 1);
            }
            if (!appendArgument(piece.commands, argument)) {
                return fail(notIntegerMessage());
            }
        }

        while (at(0) == CR || at(0) == ' ') {
            pos += at(0) == CR ? 2 : 1;
        }
        ++count;
    }
    piece.commands.setAt(0, quint8(count));

    if (pos + 1 < length) {
        const bool group = at(0) == '[' && ((at(1) != '/' && at(1) != '[') || (at(1) == '/' && at(2) == '/'));
        if (group) {
            const qsizetype start = pos + (at(1) == '/' ? 2 : 1);
            const QByteArrayView inner = script.sliced(start);
            const qsizetype close = AnsiStringSupport::findDelimiter(inner, ']');
            if (close < 0) {
                return fail(missingBracketMessage());
            }
            piece.text += inner.first(close);
            pos = start + close;
            if (at(1) == ']') {
                piece.text += ']';
                pos += 1;
            }
        }
        else {
            if (at(0) == '[') {
                pos += 1; // "[[": the second "[" is the piece
            }
            piece.text += at(0);
            if (ShiftJis::isLeadByte(static_cast<unsigned char>(at(0)))) {
                piece.text += at(1);
                pos += 1;
            }
        }
    }
    else if (pos + 1 == length) {
        piece.text += at(0);
    }

    if (pos + 1 < length) {
        pos += 1;
        takeWhitespace();
    }
    else {
        // The position stays on the last byte used; looking for whitespace
        // there would copy that byte a second time.
        piece.endOfScript = true;
    }
    piece.position = pos;
    return piece;
}

ScriptReader::Preview ScriptReader::buildPreviewText(QByteArrayView script)
{
    Preview preview;
    QByteArrayView rest = script;
    while (!rest.isEmpty()) {
        const qsizetype open = AnsiStringSupport::findDelimiter(rest, '[');
        if (open < 0) {
            preview.text += rest;
            break;
        }
        preview.text += rest.first(open);
        rest = rest.sliced(open + 1);
        if (rest.startsWith('[')) {
            preview.text += '[';
            rest = rest.sliced(1);
        }
        else if (rest.startsWith('/')) {
            rest = rest.sliced(1);
            const qsizetype close = AnsiStringSupport::findDelimiter(rest, ']');
            if (close < 0) {
                preview.error = missingBracketMessage();
                return preview;
            }
            rest = rest.sliced(close + 1);
            while (!rest.isEmpty() && (rest[0] == CR || rest[0] == ' ')) {
                rest = rest.sliced(qMin<qsizetype>(rest.size(), rest[0] == CR ? 2 : 1));
            }
        }
        else {
            const qsizetype close = AnsiStringSupport::findDelimiter(rest, ']');
            if (close < 0) {
                preview.error = missingBracketMessage();
                return preview;
            }
            preview.text += rest.first(close);
            rest = rest.sliced(close + 1);
        }
    }
    return preview;
}
