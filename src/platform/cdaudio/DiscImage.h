#pragma once

#include "platform/cdaudio/DiscToc.h"
#include "platform/cdaudio/ImageFile.h"

struct CueSheet;

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// A disc laid out from files: a cue sheet or a cdrdao TOC over BIN, WAV or FLAC files, a
// folder of audio files (one track each, in natural name order: 2 before 10) or one audio file
// (one track). The files follow each other on the disc from frame 150; a
// file that does not fill its last frame is padded with silence. The last
// track ends where the last file does.
class DiscImage {
public:
    // Opens a .cue or .toc file, a folder or an audio file; null with the reason on failure.
    static std::unique_ptr<DiscImage> open(const QString& path, QString* error);

    const DiscToc& toc() const { return toc_; }
    // What the sheet says that was read otherwise than written, for the user.
    const QStringList& notes() const { return notes_; }
    // Reads count frames from an absolute frame (2352 bytes each); frames
    // outside the disc are silence. False on a read error, with the reason.
    bool read(int frame, int count, char* out, QString* error);

private:
    struct Segment {
        int discStart = 0;
        int frames = 0;
        ImageFile* file = nullptr; // null: silence
        qint64 fileFrame = 0;
    };

    bool fromSheet(const QString& path, bool toc, QString* error);
    bool layOut(const CueSheet& sheet, QString* error);
    bool fromFolder(const QString& path, QString* error);
    bool fromAudioFile(const QString& path, QString* error);
    // Appends frames [from, to) of a file, or silence, at the end of the disc.
    void append(ImageFile* file, qint64 from, qint64 to);
    bool finish(QString* error);

    std::vector<std::unique_ptr<ImageFile>> files_;
    std::vector<Segment> segments_;
    DiscToc toc_;
    QStringList notes_;
    int end_ = CdFrames::LeadIn;
};
