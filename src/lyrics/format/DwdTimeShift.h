#pragma once

#include "core/TrackPosition.h"

#include <QByteArray>
#include <variant>

// Moves every piece of a DWD file by a number of frames, keeping each record's
// commands and text byte for byte. Pieces that show no text (only commands,
// spaces or line breaks) that would move before the start of the track are
// put at 0:00:00; a piece with text that would have to is refused, so the
// timing of what is sung never changes shape. The header and whatever follows
// the last whole record stay as they were.
class DwdTimeShift {
public:
    // The latest minute a record's time can hold (an int16).
    static constexpr int LatestMinute = 32767;

    struct Refusal {
        enum class Reason {
            TextBeforeStart, // a piece with text would move before 0:00:00
            PastLatestTime,  // a piece would move past LatestMinute:59:74
        };
        Reason reason = Reason::TextBeforeStart;
        int piece = 0;      // 1-based number of the piece refused
        TrackPosition time; // where that piece is now
        QByteArray text;    // its bytes
    };

    using Result = std::variant<QByteArray, Refusal>;

    // Milliseconds to the nearest frame, halves away from zero.
    static qint64 framesForMilliseconds(qint64 ms);

    // fileBytes is a whole DWD file the player accepts.
    static Result shift(const QByteArray& fileBytes, qint64 frames);

    // Only spaces and line breaks: such a piece shows nothing of its own.
    static bool showsText(QByteArrayView text);
};
