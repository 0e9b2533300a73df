#include "platform/cdaudio/DeviceSession.h"

#include "platform/cdaudio/DiscIdentity.h"
#include "platform/cdaudio/TimeStretch.h"

#include <cstdio>
#include <cstring>

namespace {
// A strict decimal number of at most 9 digits; -1 otherwise.
int decimal(const QByteArray& text)
{
    if (text.isEmpty() || text.size() > 9)
        return -1;
    for (char c : text)
        if (c < '0' || c > '9')
            return -1;
    return text.toInt();
}

// The command in the form the table is written in: ASCII lower case, one
// space between words, none at either end. False when it does not fit.
bool plainForm(const char* command, char (&out)[ReplyBuffer::Size])
{
    int length = 0;
    bool space = false;
    for (const char* c = command; *c; ++c) {
        const char ch = *c;
        if (ch == ' ' || (ch >= '\t' && ch <= '\r')) {
            space = length > 0;
            continue;
        }
        if (length + (space ? 2 : 1) >= ReplyBuffer::Size)
            return false;
        if (space)
            out[length++] = ' ';
        space = false;
        out[length++] = (ch >= 'A' && ch <= 'Z') ? char(ch - 'A' + 'a') : ch;
    }
    out[length] = '\0';
    return true;
}

// The query, with or without the "wait" keyword.
bool isQuery(const char* plain, const char* query)
{
    const size_t length = std::strlen(query);
    return std::strncmp(plain, query, length) == 0 &&
           (plain[length] == '\0' || std::strcmp(plain + length, " wait") == 0);
}

// Status and info queries may end with the "wait" keyword.
QByteArrayList withoutWait(QByteArrayList words)
{
    if (!words.isEmpty() && words.last() == "wait")
        words.removeLast();
    return words;
}
} // namespace

DeviceSession::DeviceSession(std::unique_ptr<DiscSource> source)
    : source_(std::move(source)), lock_(std::make_unique<SourceLock>(source_->lockKey()))
{
    doorOpen_ = source_->doorOpenAtStart();
}

bool DeviceSession::changeDisc(std::unique_ptr<DiscSource> next)
{
    auto nextLock = std::make_unique<SourceLock>(next->lockKey());
    if (open_) {
        // The same disc again keeps the lock this session holds.
        const bool same = next->lockKey() == source_->lockKey();
        if (next->heldElsewhere() || (!same && !nextLock->acquire()))
            return false;
        source_->halt();
        if (same)
            nextLock = std::move(lock_);
        else
            lock_->release();
    }
    if (const auto volume = source_->volume())
        volume_ = volume;
    source_ = std::move(next);
    source_->setTempo(tempo_);
    if (volume_)
        source_->setVolume(*volume_);
    lock_ = std::move(nextLock);
    doorOpen_ = source_->doorOpenAtStart();
    cachedIdentity_.clear();
    return true;
}

DeviceSession::~DeviceSession()
{
    if (open_)
        source_->halt();
}

bool DeviceSession::discReady() const
{
    return !doorOpen_ && source_->presence() == DiscPresence::Ready;
}

int DeviceSession::sendCommand(const char* command, ReplyBuffer& reply)
{
    reply.clear();
    if (!command)
        return DeviceResult::UnrecognizedCommand;
    // The monitor, the lyrics and the remote control ask for the mode, the
    // position and the volume many times a second: those are answered
    // without taking the command apart on the heap.
    char plain[ReplyBuffer::Size];
    if (open_ && plainForm(command, plain)) {
        if (isQuery(plain, "status cdaudio mode"))
            return statusMode(reply);
        if (isQuery(plain, "status cdaudio position"))
            return statusPosition(reply);
        if (isQuery(plain, "status cdaudio volume"))
            return statusVolume(reply);
    }
    const QByteArrayList words = QByteArray(command).toLower().simplified().split(' ');
    if (words.size() < 2 || words[1] != "cdaudio")
        return DeviceResult::UnrecognizedCommand;
    const QByteArray& verb = words[0];

    if (verb == "open" && words.size() == 2)
        return open(reply);
    if (!open_)
        return DeviceResult::DeviceNotOpen;

    if (verb == "close" && words.size() == 2) {
        source_->halt();
        lock_->release();
        open_ = false;
        return DeviceResult::Ok;
    }
    if (verb == "set") {
        if (words.size() == 5 && words[2] == "time" && words[3] == "format" && words[4] == "tmsf")
            return DeviceResult::Ok;
        if (words.size() == 4 && words[2] == "door" && (words[3] == "open" || words[3] == "closed"))
            return setDoor(words[3] == "open");
        if (words.size() == 4 && words[2] == "speed")
            return setSpeed(words[3]);
        if (words.size() == 4 && words[2] == "volume")
            return setVolume(words[3]);
        return DeviceResult::UnrecognizedCommand;
    }
    if (verb == "status")
        return status(withoutWait(words), reply);
    if (verb == "play" && words.size() == 4 && words[2] == "from")
        return play(words[3]);
    if (verb == "stop" && words.size() == 2) {
        source_->halt();
        return DeviceResult::Ok;
    }
    if (verb == "info") {
        const QByteArrayList item = withoutWait(words).mid(2);
        if (item == QByteArrayList{"identity"})
            return identity(reply);
        if (!item.isEmpty() && (item[0] == "title" || item[0] == "performer"))
            return name(item, reply);
    }
    return DeviceResult::UnrecognizedCommand;
}

int DeviceSession::open(ReplyBuffer& reply)
{
    if (open_) {
        reply.set("1");
        return DeviceResult::Ok;
    }
    if (source_->heldElsewhere() || !lock_->acquire())
        return DeviceResult::DeviceBusy;
    open_ = true;
    reply.set("1");
    return DeviceResult::Ok;
}

int DeviceSession::status(const QByteArrayList& words, ReplyBuffer& reply)
{
    // words: status cdaudio <item...>
    const QByteArrayList item = words.mid(2);
    if (item == QByteArrayList{"speed"}) {
        reply.set(QByteArray::number(tempo_));
        return DeviceResult::Ok;
    }
    if (item == QByteArrayList{"volume"})
        return statusVolume(reply);
    if (item == QByteArrayList{"mode"})
        return statusMode(reply);
    const bool known = item == QByteArrayList{"position"} ||
                       item == QByteArrayList{"number", "of", "tracks"} || item == QByteArrayList{"length"} ||
                       (item.size() == 3 && item[0] == "length" && item[1] == "track");
    if (!known)
        return DeviceResult::UnrecognizedCommand;
    if (item[0] == "position")
        return statusPosition(reply);
    if (!discReady())
        return DeviceResult::DeviceNotReady;

    const DiscToc toc = source_->toc();
    if (item[0] == "number") {
        reply.set(QByteArray::number(toc.trackCount()));
    }
    else if (item.size() == 1) {
        reply.set(CdFrames::formatMsf(toc.discLength()));
    }
    else {
        const int track = decimal(item[2]);
        if (!toc.hasTrack(track))
            return DeviceResult::OutOfRange;
        reply.set(CdFrames::formatMsf(toc.trackLength(track)));
    }
    return DeviceResult::Ok;
}

int DeviceSession::statusMode(ReplyBuffer& reply)
{
    if (doorOpen_)
        reply.set("open");
    else if (source_->presence() != DiscPresence::Ready)
        reply.set("not ready");
    else
        reply.set(source_->isPlaying() ? "playing" : "stopped");
    return DeviceResult::Ok;
}

int DeviceSession::statusPosition(ReplyBuffer& reply)
{
    if (!discReady())
        return DeviceResult::DeviceNotReady;
    // Asked 20 times a second: the position first, so that nothing is asked
    // of the source while its table is read, and the table not copied.
    const int heard = source_->position();
    const DiscToc& toc = source_->toc();
    if (toc.trackCount() == 0) // the disc went while the drive was asked
        return DeviceResult::DeviceNotReady;
    const int frame = std::clamp(heard, toc.trackStart(1), toc.leadOut - 1);
    const int track = toc.trackAt(frame);
    char text[ReplyBuffer::Size];
    CdFrames::writeTmsf(text, sizeof text, track, frame - toc.trackStart(track));
    reply.set(text);
    return DeviceResult::Ok;
}

int DeviceSession::statusVolume(ReplyBuffer& reply)
{
    // The desktop's mixer may have moved it since it was set here.
    char text[16];
    std::snprintf(text, sizeof text, "%d", source_->volume().value_or(volume_.value_or(100)));
    reply.set(text);
    return DeviceResult::Ok;
}

// "play cdaudio from N" plays track N from its start; "from TT:MM:SS:FF"
// (the tmsf time format) from that position within track TT.
int DeviceSession::play(const QByteArray& fromText)
{
    const QByteArrayList fields = fromText.split(':');
    if (fields.size() != 1 && fields.size() != 4)
        return DeviceResult::UnrecognizedCommand;
    int numbers[4] = {0, 0, 0, 0};
    for (qsizetype i = 0; i < fields.size(); ++i) {
        numbers[i] = decimal(fields[i]);
        if (numbers[i] < 0 || (i > 0 && fields[i].size() > 2))
            return DeviceResult::UnrecognizedCommand;
    }
    const int track = numbers[0];
    if (numbers[2] > 59 || numbers[3] > 74)
        return DeviceResult::OutOfRange;
    if (!discReady())
        return DeviceResult::DeviceNotReady;
    const DiscToc toc = source_->toc();
    if (!toc.hasTrack(track))
        return DeviceResult::OutOfRange;
    const int offset = (numbers[1] * 60 + numbers[2]) * CdFrames::PerSecond + numbers[3];
    if (offset >= toc.trackLength(track))
        return DeviceResult::OutOfRange;
    if (offset == 0 && alreadyPlaysInto(toc.trackStart(track)))
        return DeviceResult::Ok;
    playedFrom_ = toc.trackStart(track) + offset;
    return source_->start(playedFrom_, toc.leadOut) ? DeviceResult::Ok : DeviceResult::DeviceNotReady;
}

// A CD plays on from one track into the next. The player answers the disc
// entering a track by itself with a play of that track; restarting the
// stream there would drop what is queued, go silent and repeat the track's
// first moments. So a play of a track's start that the running play has
// crossed into less than a second ago goes on as it is. Previous restarts a
// track only from one second in, so it still starts it again.
bool DeviceSession::alreadyPlaysInto(int trackStart)
{
    if (playedFrom_ >= trackStart || !source_->isPlaying())
        return false;
    const int heard = source_->position();
    return heard >= trackStart && heard < trackStart + CdFrames::PerSecond;
}

int DeviceSession::identity(ReplyBuffer& reply)
{
    if (!discReady())
        return DeviceResult::DeviceNotReady;
    // A disc changed at the drive itself (its own eject button) shows only as
    // another table of contents.
    const DiscToc toc = source_->toc();
    if (toc.trackStarts != identityToc_.trackStarts || toc.leadOut != identityToc_.leadOut) {
        cachedIdentity_.clear();
        identityToc_ = toc;
    }
    if (cachedIdentity_.isEmpty()) {
        cachedIdentity_ = DiscIdentity::of(*source_);
    }
    if (cachedIdentity_.isEmpty())
        return DeviceResult::DeviceNotReady;
    reply.set(cachedIdentity_);
    return DeviceResult::Ok;
}

int DeviceSession::setDoor(bool open)
{
    if (doorOpen_ != open) {
        doorOpen_ = open;
        source_->doorMoved(open);
        cachedIdentity_.clear(); // another disc may come back in
    }
    return DeviceResult::Ok;
}

int DeviceSession::setSpeed(const QByteArray& percentText)
{
    const int percent = decimal(percentText);
    if (percent < 0)
        return DeviceResult::UnrecognizedCommand;
    if (!TimeStretch::validPercent(percent))
        return DeviceResult::OutOfRange;
    tempo_ = percent;
    source_->setTempo(percent);
    return DeviceResult::Ok;
}

int DeviceSession::setVolume(const QByteArray& percentText)
{
    const int percent = decimal(percentText);
    if (percent < 0)
        return DeviceResult::UnrecognizedCommand;
    if (percent > 200)
        return DeviceResult::OutOfRange;
    volume_ = percent;
    source_->setVolume(percent);
    return DeviceResult::Ok;
}

// item: "title" or "performer", then nothing (the disc) or "track N".
int DeviceSession::name(const QByteArrayList& item, ReplyBuffer& reply)
{
    const bool ofDisc = item.size() == 1;
    if (!ofDisc && (item.size() != 3 || item[1] != "track"))
        return DeviceResult::UnrecognizedCommand;
    if (!discReady())
        return DeviceResult::DeviceNotReady;
    const int track = ofDisc ? 0 : decimal(item[2]);
    if (!ofDisc && !source_->toc().hasTrack(track))
        return DeviceResult::OutOfRange;
    const DiscNames names = source_->names();
    const DiscNames::Names& named = ofDisc ? names.disc : names.track(track);
    QByteArray text = (item[0] == "title" ? named.title : named.performer).toUtf8();
    // The reply holds 255 bytes: a longer name ends before the character that does not fit.
    if (text.size() >= ReplyBuffer::Size) {
        qsizetype end = ReplyBuffer::Size - 1;
        while (end > 0 && (uchar(text[end]) & 0xC0) == 0x80)
            --end;
        text.truncate(end);
    }
    reply.set(text);
    return DeviceResult::Ok;
}
