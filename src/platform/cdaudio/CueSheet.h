#pragma once

#include "platform/cdaudio/DiscNames.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

// A cue sheet's audio layout, read with libcue. Index times are CD frames
// from the start of the track's file (75 a second); a track starts at its
// INDEX 01, and the audio between INDEX 00 and INDEX 01 is the pregap that
// closes the track before it. PREGAP and POSTGAP are silence that no file
// holds, before and after a track's audio; both count on the disc.
struct CueSheet {
    struct File {
        QString path;           // resolved against the sheet's folder
        bool raw = false;       // BINARY or MOTOROLA: raw CD frames
        bool bigEndian = false; // MOTOROLA
    };
    struct Track {
        int file = 0;             // index into files
        qint64 index00 = -1;      // frames into its file; -1 without INDEX 00
        qint64 index01 = 0;       // frames into its file
        qint64 silentPregap = 0;  // PREGAP: frames of silence not held in any file
        qint64 silentPostgap = 0; // POSTGAP: the same after the track's audio
    };
    std::vector<File> files;
    std::vector<Track> tracks;
    // The sheet's TITLE and PERFORMER lines, the disc's and one pair per track.
    DiscNames names;

    // Parses the text of a sheet kept in folder; on a mistake says why.
    static std::optional<CueSheet> parse(const QByteArray& text, const QString& folder, QString* error);
};
