#include "ScriptCheck.h"

#include "editor/ScriptText.h"
#include "lyrics/format/ScriptReader.h"

#include <algorithm>

namespace {
// The text position of a byte offset: the character whose bytes hold it.
qsizetype textPosition(const QList<qsizetype>& byteOffsets, qsizetype byte)
{
    const auto it = std::upper_bound(byteOffsets.cbegin(), byteOffsets.cend(), byte);
    return std::max<qsizetype>(0, (it - byteOffsets.cbegin()) - 1);
}

qsizetype lineEnd(QStringView text, qsizetype from)
{
    const qsizetype end = text.indexOf(QLatin1Char('\n'), from);
    return end < 0 ? text.size() : end;
}
} // namespace

QString ScriptCheck::unencodableMessage()
{
    return QStringLiteral("Shift-JIS で書けない文字があります。");
}

std::optional<ScriptCheck::Problem> ScriptCheck::firstProblem(QStringView text)
{
    const ScriptText::Encoded encoded = ScriptText::fromEditText(text, true);
    const QByteArray& script = encoded.bytes;
    qsizetype position = 0;
    qint32 lineBreaks = 0;
    std::optional<Problem> syntax;
    while (position < script.size()) {
        const ScriptReader::Piece piece = ScriptReader::takePiece(script, position, lineBreaks);
        if (!piece.ok()) {
            qsizetype begin = position;
            while (begin < script.size() && (script[begin] == ' ' || script[begin] == '\r'))
                begin += script[begin] == '\r' ? 2 : 1;
            Problem problem;
            problem.message = piece.error;
            problem.start = textPosition(encoded.byteOffsets, std::min(begin, script.size()));
            qsizetype end = textPosition(encoded.byteOffsets, std::min(piece.position, script.size()));
            // A missing bracket stops the reader at the opening one: mark the rest of the line.
            if (end <= problem.start + 2)
                end = std::max(end, lineEnd(text, problem.start));
            problem.length = std::max<qsizetype>(1, end - problem.start);
            syntax = problem;
            break;
        }
        if (piece.endOfScript || piece.position <= position)
            break;
        position = piece.position;
    }
    if (!encoded.ok() && (!syntax || encoded.unencodable < syntax->start)) {
        const qsizetype length = text[encoded.unencodable].isHighSurrogate() ? 2 : 1;
        return Problem{unencodableMessage(), encoded.unencodable, length};
    }
    return syntax;
}
