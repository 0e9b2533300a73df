#include "compile/DwdCapture.h"

#include "compile/DwdWriter.h"

#include <QFileDevice>

bool DwdCapture::begin(QIODevice& file)
{
    m_file = &file;
    m_position = 0;
    m_ended = false;
    m_previous = {};
    return DwdWriter::WriteHeader(file);
}

DwdCapture::Press DwdCapture::press(const TrackPosition& position, qint32& lineBreaks)
{
    Press result;
    if (m_ended || !m_file) {
        // Once the script is used up, taking another piece would re-read its
        // last byte.
        result.outcome = Outcome::AfterEnd;
        return result;
    }
    const TrackPosition delta = TrackPosition::timeDelta(position, m_previous);
    m_previous = position;

    ScriptReader::Piece piece = ScriptReader::TakePiece(m_script, m_position, lineBreaks);
    if (!piece.ok()) {
        result.outcome = Outcome::SyntaxError;
        result.error = piece.error;
        return result;
    }
    m_position = piece.position;
    m_ended = piece.endOfScript;
    result.endOfScript = piece.endOfScript;
    result.pieceText = piece.text;

    // Each record goes to the file at its key press, so everything timed so
    // far survives a crash of the program.
    bool written = DwdWriter::WriteRecord(*m_file, piece.text, piece.commands.view(), delta);
    if (auto* fileDevice = qobject_cast<QFileDevice*>(m_file)) {
        written = fileDevice->flush() && written;
    }
    result.outcome = written ? Outcome::Written : Outcome::WriteFailed;
    return result;
}

bool DwdCapture::end()
{
    if (!m_file || !m_file->seek(0)) {
        return false;
    }
    return DwdWriter::WriteHeader(*m_file);
}
