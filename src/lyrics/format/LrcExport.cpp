#include "lyrics/format/LrcExport.h"

#include "lyrics/format/DwdReader.h"
#include "lyrics/format/ShiftJis.h"

#include <optional>

namespace {
qsizetype leadingSpaces(QStringView text)
{
    qsizetype n = 0;
    while (n < text.size() && text[n].isSpace())
        ++n;
    return n;
}

bool isBlank(QStringView text)
{
    return leadingSpaces(text) == text.size();
}

QStringView withoutTrailingSpaces(QStringView text)
{
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    return text;
}
} // namespace

QList<LrcExport::Piece> LrcExport::readPieces(QIODevice& file)
{
    QList<Piece> pieces;
    TrackPosition time;
    for (;;) {
        const DwdReader::Record record = DwdReader::readRecord(file);
        if (!record.complete())
            return pieces;
        TrackPosition::addDelta(time, record.delta);
        Piece piece{time, false, ShiftJis::decode(record.text)};
        for (const DwdCommand& command : record.commands)
            if (command.code == DwdCode::Clear || command.code == DwdCode::PausePre)
                piece.startsPage = true;
        pieces << piece;
    }
}

QString LrcExport::stamp(const TrackPosition& time)
{
    const qint64 frames = qMax(0, time.totalFrames());
    // A frame is 4/3 of a hundredth, so a time is never halfway between two.
    const qint64 hundredths = (frames * 4 + 1) / 3;
    return QStringLiteral("%1:%2.%3")
        .arg(hundredths / 6000, 2, 10, QLatin1Char('0'))
        .arg(hundredths / 100 % 60, 2, 10, QLatin1Char('0'))
        .arg(hundredths % 100, 2, 10, QLatin1Char('0'));
}

QString LrcExport::lines(const QList<Piece>& pieces, bool enhanced)
{
    QString out;
    QString line;
    TrackPosition lineStart;
    std::optional<TrackPosition> emptyBefore; // a piece showing nothing before the line's first word
    bool started = false;
    auto endLine = [&] {
        if (started)
            out += QLatin1Char('[') + stamp(lineStart) + QLatin1Char(']') +
                   withoutTrailingSpaces(line).toString() + QLatin1Char('\n');
        started = false;
        emptyBefore.reset();
        line.clear();
    };
    for (const Piece& piece : pieces) {
        if (piece.startsPage)
            endLine();
        const bool empty = isBlank(piece.text) && !piece.text.contains(QLatin1String("\r\n"));
        if (empty && piece.startsPage) {
            out += QLatin1Char('[') + stamp(piece.time) + QLatin1String("]\n");
            continue;
        }
        if (empty && !started && !emptyBefore)
            emptyBefore = piece.time;
        const QStringList segments = piece.text.split(QLatin1String("\r\n"));
        for (qsizetype i = 0; i < segments.size(); ++i) {
            if (i > 0)
                endLine();
            QStringView segment = segments[i];
            if (isBlank(segment)) {
                if (started)
                    line += segment;
                continue;
            }
            if (!started) {
                // A line's indent belongs to no word.
                started = true;
                lineStart = emptyBefore.value_or(piece.time);
                segment = segment.mid(leadingSpaces(segment));
            }
            // Spaces before a word stay in front of its stamp.
            const qsizetype lead = leadingSpaces(segment);
            line += segment.left(lead);
            if (enhanced)
                line += QLatin1Char('<') + stamp(piece.time) + QLatin1Char('>');
            line += segment.mid(lead);
        }
    }
    endLine();
    return out;
}
