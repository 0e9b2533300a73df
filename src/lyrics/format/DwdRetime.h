#pragma once

#include <QByteArray>
#include <QList>

// Gives the pieces of a DWD file new times, keeping each record's commands
// and text byte for byte: what a snap to the music or an edit in the timing
// view writes. The header and whatever follows the last whole record stay as
// they were.
namespace DwdRetime {
// Each whole record's absolute time within the track, in frames.
QList<int> pieceFrames(const QByteArray& fileBytes);
// frames holds one time per whole record; the file with those times. Times
// should never decrease: a record's delta is stored field by field, and a
// time before the previous one would make it negative.
QByteArray retime(const QByteArray& fileBytes, const QList<int>& frames);
} // namespace DwdRetime
