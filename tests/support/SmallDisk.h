#pragma once

#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <variant>

// A small RAM disk (tmpfs) of the test's own, to fill up under the program's
// writers. As root (also the root of the namespace that with-own-mounts
// makes for a test registered OWN_MOUNTS) it is mounted directly; otherwise
// the test process tries to move into a user and mount namespace of its own,
// which the kernel refuses once it has threads. The programs it starts share
// the mount. Unmounted when it goes.
class SmallDisk {
public:
    // The disk, or why this machine cannot give one (for QSKIP).
    static std::variant<std::unique_ptr<SmallDisk>, QString> mount(qint64 sizeBytes);
    ~SmallDisk();

    QString path() const { return dir_.path(); }
    QString filePath(const QString& name) const { return dir_.filePath(name); }
    // Fills the disk with a file named "fill" so that at most freeBytes stay
    // free (tmpfs hands out whole pages: what is left is freeBytes rounded
    // down to a page). False when the disk could not be filled.
    bool leaveFree(qint64 freeBytes);

    static constexpr qint64 PageSize = 4096;

private:
    SmallDisk() = default;
    QTemporaryDir dir_;
    bool mounted_ = false;
};
