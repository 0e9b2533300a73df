#pragma once

#include <QList>
#include <QString>

// The versions of the libraries the program runs on, as each reports itself
// at run time (Qt also with the version it was built against; libcue, which
// has no such call, with the version it was built against).
namespace LibraryVersions {
struct Entry {
    QString library;
    QString version;
};
QList<Entry> all();
} // namespace LibraryVersions
