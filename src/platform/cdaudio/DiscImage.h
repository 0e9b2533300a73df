#pragma once

#include "platform/cdaudio/DiscNames.h"
#include "platform/cdaudio/DiscToc.h"
#include "platform/cdaudio/ImageFile.h"

struct CueSheet;

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// A disc laid out from files: a cue sheet or a cdrdao TOC over BIN, WAV or FLAC files, a
// folder of audio files (one track each, in natural name order: 2 before 10) or one audio file
// (one track). The files follow each other on the disc from frame 150. A cue
// sheet counts in whole frames, so a file of its that does not fill its last
// frame is padded with silence. A folder's files follow each other sample by
// sample, as the album they were ripped from played them: each track starts
// at the frame holding its first sample, so playing it from there begins with
// the last few milliseconds of the track before. The last track ends where
// the last file does.
class DiscImage {
public:
    // Opens a .cue or .toc file, a folder or an audio file; null with the reason on failure.
    static std::unique_ptr<DiscImage> open(const QString& path, QString* error);

    const DiscToc& toc() const { return toc_; }
    // What the sheet says that was read otherwise than written, for the user.
    const QStringList& notes() const { return notes_; }
    // The table the disc ID is computed from: each file of a folder counted in
    // whole frames, as it was laid out before its files followed each other
    // sample by sample, so the lyrics associated with a folder disc stay its
    // own. The same as toc() for a cue sheet.
    const DiscToc& identityToc() const { return identityToc_; }
    // A cue sheet's TITLE and PERFORMER lines; nothing for files alone.
    const DiscNames& names() const { return names_; }
    // Reads count frames from an absolute frame (2352 bytes each); frames
    // outside the disc are silence. False on a read error, with the reason.
    bool read(int frame, int count, char* out, QString* error);

private:
    struct Segment {
        qint64 discSample = 0;
        qint64 samples = 0;
        ImageFile* file = nullptr; // null: silence
        qint64 fileSample = 0;
    };

    bool fromSheet(const QString& path, bool toc, QString* error);
    bool layOut(const CueSheet& sheet, QString* error);
    bool fromFolder(const QString& path, QString* error);
    bool fromAudioFile(const QString& path, QString* error);
    // Appends frames [from, to) of a file, or silence, at the end of the disc.
    void append(ImageFile* file, qint64 from, qint64 to);
    // Appends a file's samples right after the last sample laid down.
    void appendSamples(ImageFile* file, qint64 samples);
    int endFrame() const;
    bool finish(QString* error);

    std::vector<std::unique_ptr<ImageFile>> files_;
    std::vector<Segment> segments_;
    DiscToc toc_;
    QStringList notes_;
    DiscToc identityToc_;
    DiscNames names_;
    qint64 end_ = qint64(CdFrames::LeadIn) * CdFrames::SamplesPerFrame; // samples laid down
    int identityEnd_ = CdFrames::LeadIn;
};
