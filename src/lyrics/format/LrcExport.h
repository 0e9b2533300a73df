#pragma once

#include "core/TrackPosition.h"

#include <QList>
#include <QString>

class QIODevice;

// Turns timed lyrics into LRC text: one "[mm:ss.xx]" line per line of the
// script, timed by the first piece of the line that shows something, or by a
// piece showing nothing just before it; with `enhanced` a "<mm:ss.xx>" stamp
// before every piece. Lines end at the line breaks inside the pieces and
// where a page begins ("clear" and "pausepre"): the script's line break after
// such a command is not kept in the compiled file. A page that begins with a
// piece showing nothing is a timed line with no text. Times are rounded to the
// nearest hundredth of a second.
class LrcExport {
public:
    struct Piece {
        TrackPosition time; // absolute, within the track
        bool startsPage = false;
        QString text; // decoded; line breaks as CR LF
    };

    // The pieces of a DWD file standing at its first record, up to the first
    // record that is not complete.
    static QList<Piece> readPieces(QIODevice& file);

    // The LRC lines, each ended by "\n".
    static QString lines(const QList<Piece>& pieces, bool enhanced);

    // "mm:ss.xx", minutes growing past 99; negative times are 00:00.00.
    static QString stamp(const TrackPosition& time);
};
