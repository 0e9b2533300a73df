// Feeds arbitrary bytes to the LRC import: whatever it accepts must be a
// script the compiler reads without a syntax error, with exactly one piece
// per time and the last piece ending the script.
#include "lyrics/format/LrcImport.h"
#include "lyrics/format/ScriptReader.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray lrc(reinterpret_cast<const char*>(data), qsizetype(size));
    const LrcImport::Result result = LrcImport::convert(lrc, LrcImport::Options{});
    if (result.times.size() != result.lines.size()) {
        std::abort();
    }
    if (!result.ok() || result.times.isEmpty()) {
        return 0;
    }
    qsizetype position = 0;
    qint32 lineBreaks = 0;
    for (qsizetype piece = 0; piece < result.times.size(); ++piece) {
        const ScriptReader::Piece taken = ScriptReader::takePiece(result.script, position, lineBreaks);
        if (!taken.ok() || taken.endOfScript != (piece + 1 == result.times.size())) {
            std::abort();
        }
        position = taken.position;
    }
    return 0;
}
