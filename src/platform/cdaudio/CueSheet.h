#pragma once

#include "platform/cdaudio/DiscNames.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// A cue sheet's audio layout, read with libcue. Index times are CD frames
// from the start of the track's file (75 a second); a track starts at its
// INDEX 01, and the audio between INDEX 00 and INDEX 01 is the pregap that
// closes the track before it. PREGAP and POSTGAP are silence that no file
// holds, before and after a track's audio; both count on the disc. Every FILE
// line is a file of its own, laid after the one before, even when two name
// the same file. Data tracks after the audio (the second session of an
// Enhanced CD) end the disc's audio; a data track before audio is refused.
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
    // Frames into the last file where its audio stops, because a data track
    // follows in the same file; -1: the audio runs to the file's end.
    qint64 audioEnd = -1;
    QStringList notes; // what was read otherwise than it is written, for the user
    // The sheet's TITLE and PERFORMER lines, the disc's and one pair per track.
    DiscNames names;

    // Parses the text of a sheet kept in folder; on a mistake says why.
    static std::optional<CueSheet> parse(const QByteArray& text, const QString& folder, QString* error);

    // The note for data tracks after the audio, from track dataTrack on.
    static QString dataTracksNote(int dataTrack);
    // The file a sheet in folder names: the path it gives, else a file found
    // beside the sheet under its bare name in any letter case, else (for
    // audio) under another audio suffix.
    static QString resolveFile(const QString& folder, const QString& name, bool audio);
    // The suffixes of the audio files a sheet may name (wav, flac, ...).
    static const QStringList& audioSuffixes();
};
