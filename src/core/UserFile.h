#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>
#include <variant>

class QFile;

// A file the user owns (a script, a lyrics file, a picture), read and
// written so that it is never lost and never hangs the program. Every
// writer of the program goes through write(); the command-line tool reads
// its inputs through read().
class UserFile {
public:
    // Why a read or a write failed; message() names the file.
    struct Failure {
        enum class Kind {
            NotCreated, // the file (or its temporary) could not be created; nothing changed
            NotWritten, // a write, the last flush or the rename failed; the previous file is whole
            NotRegular, // a folder, a pipe or a device: never opened
            TooLarge,   // above the limit read() was given
            NotRead,    // it could not be opened or read
        };
        Kind kind;
        QString fileName;
        QString reason;
        QString message() const;
    };

    // Replaces path with a complete file of bytes, in one step: a temporary
    // file in the same folder takes every byte, is flushed and synced, and is
    // renamed over path only when all of that worked. On any failure path is
    // byte for byte what it was (or still absent) and no temporary is left.
    // (The file device buffers small writes; their error only shows when the
    // buffer is flushed, so the flush is checked on its own.)
    static std::optional<Failure> write(const QString& path, QByteArrayView bytes);

    // The second way in, for a writer that must keep a working file of its
    // own while it writes (the timing capture, whose file must survive a
    // crash): puts working, open and holding the whole new file, in place of
    // path. It is flushed, synced, closed, given path's access rights and
    // renamed over path. On failure path is as it was and the working file
    // stays, closed, with everything written.
    static std::optional<Failure> replace(QFile& working, const QString& path);

    // Opens path for reading when it is a regular file of at most limit
    // bytes, with the same checks as read(); file keeps path as its name.
    static std::optional<Failure> openForReading(QFile& file, const QString& path,
                                                 qint64 limit = DefaultReadLimit);
    // The whole of a regular file of at most limit bytes. Anything else is
    // refused without blocking: a pipe is opened without waiting for a
    // writer, and a file that grows while it is read stops at the limit.
    static std::variant<QByteArray, Failure> read(const QString& path, qint64 limit = DefaultReadLimit);
    // Far above any script, lyrics file or LRC file, far below what would
    // strain the memory.
    static constexpr qint64 DefaultReadLimit = 64 * 1024 * 1024;

    // "<path> is not a regular file": how the player refuses such inputs.
    static QString notRegularMessage(const QString& path);
};
