#pragma once

#include "platform/cdaudio/CueSheet.h"

#include <QByteArray>
#include <QString>
#include <optional>

// A cdrdao table of contents (.toc), the other sheet rippers leave beside a
// disc's audio, read into the layout a cue sheet gives. Each audio track is
// a stretch of a WAV (or other audio) file, or of a raw file of big-endian
// samples (little-endian with SWAP), that follows on where the track before
// ended in the same file or starts a file at its beginning; a PREGAP or
// SILENCE before it is silence on the disc, and START puts the track's start
// that far into its own stretch. The lengths the file states are not used for
// the end: the disc ends where the audio of its last file does.
class TocSheet {
public:
    struct Reading {
        std::optional<CueSheet> sheet;
        QString error; // why there is no sheet
    };

    static Reading parse(const QByteArray& text, const QString& folder);
};
