#pragma once

#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

// Where a timing capture keeps its bytes until it is finished: a working file
// beside the output. The output itself is touched only by commit(), which
// replaces it in one step; discard() leaves it as it was. Every write reaches
// the operating system before it returns, so a killed program leaves the
// working file as the last write made it.
class CaptureStorage {
public:
    virtual ~CaptureStorage() = default;

    // Creates a new, empty working file for the given output; false when it
    // cannot be created (the output names a folder, the folder is not writable).
    virtual bool create(const QString& outputName) = 0;
    virtual bool writeAt(qint64 offset, QByteArrayView bytes) = 0;
    virtual bool truncate(qint64 size) = 0;
    // Puts the working file in the output's place. On failure the output is
    // as it was and the working file stays, holding everything written.
    virtual bool commit() = 0;
    // Removes the working file; the output is as it was.
    virtual void discard() = 0;
    // The working file's name while there is one.
    virtual QString workingName() const = 0;
};
