#pragma once

#include "compile/ScriptReader.h"
#include "core/TrackPosition.h"

#include <QByteArray>
#include <QString>

class QIODevice;

// One timing capture of a lyrics script into a DWD file: begin() writes the
// provisional header, every key press takes the next piece and appends its
// record with the time since the previous press, end() rewrites the header
// with the final size. The compiler window and `ondel-dwd compile` both drive
// it, so they write the same bytes. Closing or deleting the file is the
// caller's business.
class DwdCapture {
public:
    enum class Outcome {
        Written,     // a record was appended
        SyntaxError, // nothing was written; the capture must be cancelled
        WriteFailed, // the record could not be written in full
        AfterEnd,    // the script was already used up; nothing was written
    };

    struct Press {
        Outcome outcome = Outcome::Written;
        QByteArray pieceText;     // what was timed, for drawing
        bool endOfScript = false; // this press took the last piece
        QString error;            // the syntax error message
    };

    void setScript(const QByteArray& script) { m_script = script; }
    const QByteArray& script() const { return m_script; }

    // Starts at the first byte of the script and at 0:00:00, the start of the
    // track; false when the header cannot be written.
    bool begin(QIODevice& file);

    // One timing key press at the given position within the track. The line
    // breaks taken into the piece are added to lineBreaks.
    Press press(const TrackPosition& position, qint32& lineBreaks);

    // Rewrites the header at offset 0 with the file's full size.
    bool end();

    qsizetype scriptPosition() const { return m_position; }
    bool scriptEnded() const { return m_ended; }

private:
    QByteArray m_script;
    QIODevice* m_file = nullptr;
    qsizetype m_position = 0;
    bool m_ended = false;
    TrackPosition m_previous;
};
