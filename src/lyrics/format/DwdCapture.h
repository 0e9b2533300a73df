#pragma once

#include "core/TrackPosition.h"
#include "lyrics/format/ScriptReader.h"

#include <QByteArray>
#include <QList>
#include <QString>

class CaptureStorage;

// One timing capture of a lyrics script into a DWD file. The capture writes
// into a working file beside the output (CaptureStorage); the output is
// replaced only when finish() succeeds, and abandon() leaves it untouched.
// After every press, and after every undo, the working file is a complete DWD
// file of the pieces timed so far (the header's size is rewritten each time),
// so a capture killed at any moment leaves a file the player can play. The
// compiler window and `ondel-dwd compile` both drive it, so they write the
// same bytes.
class DwdCapture {
public:
    enum class Outcome {
        Written,     // a record was appended
        SyntaxError, // nothing was written; the capture must be abandoned
        WriteFailed, // the record could not be written in full
        AfterEnd,    // the script was already used up; nothing was written
    };

    enum class Start {
        Started,
        OpenFailed,   // no working file could be created
        HeaderFailed, // the working file is removed again
    };

    struct Press {
        Outcome outcome = Outcome::Written;
        QByteArray pieceText;     // what was timed, for drawing
        bool endOfScript = false; // this press took the last piece
        QString error;            // the syntax error message
    };

    explicit DwdCapture(CaptureStorage& storage) : storage_(storage) {}
    ~DwdCapture();

    void setScript(const QByteArray& script) { script_ = script; }
    const QByteArray& script() const { return script_; }

    // Creates the working file for outputName and writes the header of a file
    // with no records. Times start at 0:00:00, the start of the track.
    Start begin(const QString& outputName);
    // Starts a take that keeps the first records of an earlier file: their
    // bytes (from offset 11) go into the working file as they are, and the
    // script is timed on from scriptPosition, the next press measured from
    // lastTime, the kept pieces' running time. Kept records cannot be taken
    // back.
    Start resume(const QString& outputName, QByteArrayView keptRecords, qsizetype scriptPosition,
                 const TrackPosition& lastTime);

    // One timing key press at the given position within the track. The line
    // breaks taken into the piece are added to lineBreaks.
    Press press(const TrackPosition& position, qint32& lineBreaks);

    // Takes back the last press: its record goes from the file, the script is
    // read again from its piece and the next press is timed from the press
    // before it. False when nothing is timed or the file could not be cut
    // back (then nothing changed).
    bool undo();

    // Ends the capture and puts the working file in the output's place. False
    // leaves the output as it was and keeps the working file, a valid file of
    // every piece timed.
    bool finish();
    // Throws the capture away: the working file goes, the output stays.
    void abandon();
    // Ends the capture and leaves the working file as the last press made it,
    // a valid file of the pieces timed so far; the output stays.
    void keep() { running_ = false; }

    bool running() const { return running_; }
    int pieceCount() const { return int(taken_.size()); }
    qsizetype scriptPosition() const { return position_; }
    bool scriptEnded() const { return ended_; }
    // The position of the latest press (0:00:00 before the first).
    TrackPosition lastPosition() const { return previous_; }
    // The bytes in the working file so far.
    qint64 fileSize() const { return fileSize_; }
    QString workingName() const;

private:
    bool writeSize(qint64 size);

    // What one press changed, to take it back.
    struct Taken {
        qint64 fileSize;
        qsizetype position;
        TrackPosition previous;
    };

    CaptureStorage& storage_;
    QByteArray script_;
    bool running_ = false;
    qsizetype position_ = 0;
    bool ended_ = false;
    TrackPosition previous_;
    qint64 fileSize_ = 0;
    QList<Taken> taken_;
};
