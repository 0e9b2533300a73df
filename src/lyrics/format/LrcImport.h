#pragma once

#include "core/TrackPosition.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// Turns an LRC file into a lyrics script and the time of every piece of it,
// so that compiling the script at those times gives the DWD file.
//
// LRC, as lyric sites and tools write it (UTF-8, or Windows-31J from Japanese
// systems; LF or CR LF):
//   line   := stamp+ text | stamp+ | "[" key ":" value "]" | anything else (left out)
//   stamp  := "[" m ":" ss ("." | ":") f "]" | "[" m ":" ss "]"   (f: 1-3 digits)
//   text   := word* with words started by "<" m ":" ss "." f ">" (enhanced LRC)
//             or by a stamp in the middle of the text ("[00:17:97]帰[00:18:37]り")
// A line with several stamps is sung at each of them. "[offset:+N]" moves
// every time N milliseconds earlier. A line-timed line becomes one piece
// timed by its stamp; an enhanced line one piece per word, text before the
// first word stamp timed by the line's stamp, and a line whose first word
// comes later starts with a piece that shows nothing at the line's time.
// Word stamps a second or more before their own line are counted from the
// line's stamp (with a warning). A timed line with no text clears the page at
// its time. Lines are put in time order, separated by CR LF, and every
// `linesPerPage` lines of text a "[/clear]" starts a new page. Times are
// rounded to the nearest CD frame.
class LrcImport {
public:
    struct Note {
        int line = 0; // 1-based line of the LRC file
        QString text;
    };

    struct Result {
        QByteArray script;          // Shift-JIS, CR LF, no line break at the end
        QList<TrackPosition> times; // one per piece of the script, in order
        QList<int> lines;           // the LRC line of every piece
        QList<Note> errors;         // characters Shift-JIS cannot hold: nothing is usable
        QList<Note> warnings;       // lines left out, times moved
        bool ok() const { return errors.isEmpty(); }
    };

    struct Options {
        int linesPerPage = 2;                     // 0: one page
        std::optional<TrackPosition> trackLength; // warn about pieces past it
        bool skipUnencodable = false;             // leave out lines Shift-JIS cannot hold, with a warning
    };

    static Result convert(const QByteArray& lrc, const Options& options);

    // UTF-8 when the bytes are valid UTF-8 (a BOM dropped), else Windows-31J.
    static QString decode(const QByteArray& bytes);

    // The milliseconds of "mm:ss.xx", "mm:ss:xx", "mm:ss.xxx" or "mm:ss".
    static std::optional<qint64> parseStamp(QStringView text);

    // The nearest CD position (75 frames a second) to a time in milliseconds.
    static TrackPosition fromMilliseconds(qint64 ms);
};
