#pragma once

#include "platform/cdaudio/CdAudioDevice.h"
#include "platform/cdaudio/DiscSource.h"
#include "platform/cdaudio/SourceLock.h"

#include <QByteArrayList>
#include <memory>

// Interprets the cdaudio command texts against one disc source. Replies:
// positions "tt:mm:ss:ff" (time within the current track), lengths
// "mm:ss:ff", the track count in decimal, the mode "playing", "stopped",
// "open" or "not ready", the identity the disc ID. Anything outside the
// command table, or malformed, answers a non-zero code and an empty reply.
class DeviceSession final : public CdAudioDevice {
public:
    explicit DeviceSession(std::unique_ptr<DiscSource> source);
    ~DeviceSession() override;

    int DeviceCommand(const char* command, ReplyBuffer& reply) override;

    DiscSource& source() { return *source_; }
    bool isOpen() const { return open_; }

private:
    int open(ReplyBuffer& reply);
    int status(const QByteArrayList& words, ReplyBuffer& reply);
    int play(const QByteArray& trackText);
    int identity(ReplyBuffer& reply);
    int setDoor(bool open);
    bool discReady() const;

    std::unique_ptr<DiscSource> source_;
    SourceLock lock_;
    bool open_ = false;
    bool doorOpen_ = false;
    QByteArray cachedIdentity_;
};
