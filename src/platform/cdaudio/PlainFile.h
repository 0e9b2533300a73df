#pragma once

class QString;

// Image files are read only when they are regular files: opening a pipe or a
// character device would block the player before any window appears.
namespace PlainFile {
// False, with the reason in error, when path exists but is not a regular file
// (a link to one counts as one). A missing path passes: its opener says so.
bool check(const QString& path, QString* error);
} // namespace PlainFile
