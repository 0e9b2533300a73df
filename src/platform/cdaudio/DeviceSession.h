#pragma once

#include "platform/cdaudio/CdAudioDevice.h"
#include "platform/cdaudio/DiscSource.h"
#include "platform/cdaudio/SourceLock.h"

#include <QByteArrayList>
#include <memory>
#include <optional>

// Interprets the cdaudio command texts against one disc source. Replies:
// positions "tt:mm:ss:ff" (time within the current track), lengths
// "mm:ss:ff", the track count in decimal, the mode "playing", "stopped",
// "open" or "not ready", the identity the disc ID, the speed the percent of
// the normal speed ("set cdaudio speed N", 50..100, the pitch kept), the
// volume the percent of the disc's own level ("set cdaudio volume N",
// 0..200; the desktop's mixer may change it too). "info cdaudio title" and
// "info cdaudio performer", with "track N" for a track, answer what the disc
// names in UTF-8, empty when it names nothing. Anything outside the command
// table, or malformed, answers a non-zero code and an empty reply.
class DeviceSession final : public CdAudioDevice {
public:
    explicit DeviceSession(std::unique_ptr<DiscSource> source);
    ~DeviceSession() override;

    int sendCommand(const char* command, ReplyBuffer& reply) override;

    DiscSource& source() { return *source_; }
    // Another disc goes into the drive, as when the user swaps discs: the
    // playing one stops and the new one is at its first track. False, with
    // the old disc kept, when another program holds the new one.
    bool changeDisc(std::unique_ptr<DiscSource> next);
    bool isOpen() const { return open_; }

private:
    int open(ReplyBuffer& reply);
    int status(const QByteArrayList& words, ReplyBuffer& reply);
    int statusMode(ReplyBuffer& reply);
    int statusPosition(ReplyBuffer& reply);
    int statusVolume(ReplyBuffer& reply);
    int play(const QByteArray& trackText);
    bool alreadyPlaysInto(int trackStart);
    int identity(ReplyBuffer& reply);
    int setDoor(bool open);
    int setSpeed(const QByteArray& percentText);
    int setVolume(const QByteArray& percentText);
    int name(const QByteArrayList& item, ReplyBuffer& reply);
    bool discReady() const;

    std::unique_ptr<DiscSource> source_;
    std::unique_ptr<SourceLock> lock_;
    bool open_ = false;
    bool doorOpen_ = false;
    int tempo_ = 100;    // percent of the normal speed, kept across disc changes
    int playedFrom_ = 0; // where the last play this session started began
    // Percent of the disc's level, kept across disc changes; nothing until
    // set or known, so the desktop's remembered level for the player stands.
    std::optional<int> volume_;
    QByteArray cachedIdentity_;
    DiscToc identityToc_; // the table the cached identity was computed from
};
