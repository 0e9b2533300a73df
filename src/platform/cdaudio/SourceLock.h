#pragma once

#include <QString>
#include <memory>

class QLockFile;

// Keeps a second player off a drive this one holds: a lock file named after
// the source, in the user's runtime folder. A lock left by a crashed player
// is stale (its process is gone) and is taken over.
class SourceLock {
public:
    explicit SourceLock(const QString& key);
    ~SourceLock();
    SourceLock(const SourceLock&) = delete;
    SourceLock& operator=(const SourceLock&) = delete;

    bool acquire();
    void release();
    bool held() const { return held_; }

private:
    std::unique_ptr<QLockFile> file_;
    bool held_ = false;
};
