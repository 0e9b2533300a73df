#pragma once

#include "core/TrackPosition.h"
#include "lyrics/format/DwdCommand.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <memory>

// The main window's reading of the playing track's lyrics file: a play opens
// and checks the file, applies the first record's commands and keeps its text
// pending; every monitor tick then draws the pending text once the disc
// reaches nextRecordTime and reads the next record.
struct LyricsReading {
    bool wordsActive = false;     // lyrics are being followed for the playing track
    bool recordPending = false;   // a record was read and its text waits for its time
    bool wordsEnded = false;      // the file is used up or a read came up short
    TrackPosition nextRecordTime; // time within the track at which pendingText is drawn
    QByteArray pendingText;       // Shift-JIS bytes of the pending record
    // Open from a play to the next play or a stop, positioned after the pending record.
    std::unique_ptr<QFile> WordsFile;
    // The pending record's commands when they clear the page: held back until
    // holdUntil, so that the piece reached last is seen sung before it goes,
    // or until the pending record itself is due, if that comes first.
    QList<DwdCommand> HeldCommands;
    TrackPosition holdUntil; // a moment after the last piece was reached (or filled)
    // A piece was reached between ticks: holdUntil counts from the next tick's
    // position, as it would have if that tick had reached the piece.
    bool holdFromNextTick = false;
};
