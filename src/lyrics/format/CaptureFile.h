#pragma once

#include "lyrics/format/CaptureStorage.h"

#include <QFile>

// The working file of a capture on disk, beside the output: for "song.dwd"
// it is "song.capture.dwd" (or "song.capture2.dwd" … when an earlier capture
// that was killed left its file behind, so that such a file is never
// overwritten). It is a complete DWD file of the pieces timed so far after
// every press, so after a crash it can be related to the track or renamed
// as it is. commit() writes it to the disk and renames it over the output,
// with the output's access rights. An output that is a link to a file has
// that file replaced (the link stays); one that is not a regular file (a
// folder, a device, a pipe) is refused at create().
class CaptureFile final : public CaptureStorage {
public:
    ~CaptureFile() override;

    // The first working file name tried for an output.
    static QString workingNameFor(const QString& outputName, int attempt = 1);

    bool create(const QString& outputName) override;
    bool writeAt(qint64 offset, QByteArrayView bytes) override;
    bool truncate(qint64 size) override;
    bool commit() override;
    void discard() override;
    QString workingName() const override { return file_.fileName(); }

private:
    QFile file_;
    QString outputName_;
};
