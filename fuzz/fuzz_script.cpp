// Feeds arbitrary bytes to the lyrics script reader: every key press must
// move on or end the script, and each command block must come back unchanged
// from a DWD record written with it.
#include "lyrics/format/DwdReader.h"
#include "lyrics/format/DwdWriter.h"
#include "lyrics/format/ScriptReader.h"

#include <QBuffer>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray script(reinterpret_cast<const char*>(data), qsizetype(size));
    (void)ScriptReader::buildPreviewText(script);

    qsizetype position = 0;
    qint32 lineBreaks = 0;
    for (qsizetype presses = 0;; ++presses) {
        if (presses > script.size() + 1) {
            std::abort(); // a press that takes nothing would time forever
        }
        const ScriptReader::Piece piece = ScriptReader::takePiece(script, position, lineBreaks);
        if (!piece.ok()) {
            break;
        }
        if (!piece.endOfScript && piece.position <= position) {
            std::abort();
        }
        const int count = piece.commands.data()[0];
        if (count > ScriptReader::MaxCommandsPerPiece) {
            std::abort();
        }

        QBuffer buffer;
        buffer.open(QIODevice::ReadWrite);
        if (!DwdWriter::writeRecord(buffer, piece.text, piece.commands.view(), {0, 1, 2})) {
            std::abort();
        }
        buffer.seek(0);
        const DwdReader::Record record = DwdReader::readRecord(buffer);
        if (!record.complete() || record.commands.size() != count || record.text != piece.text ||
            buffer.pos() != buffer.size()) {
            std::abort();
        }
        if (piece.endOfScript) {
            break;
        }
        position = piece.position;
    }
    return 0;
}
