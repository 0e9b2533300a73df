#include "player/DeviceCommands.h"

#include <QByteArray>
#include <cstdio>

int DeviceCommands::send(CdAudioDevice& device, const char* command, ReplyBuffer& reply)
{
    return device.sendCommand(command, reply);
}

int DeviceCommands::sendNumber(CdAudioDevice& device, const char* format, int value, ReplyBuffer& reply)
{
    char command[ReplyBuffer::Size];
    std::snprintf(command, sizeof command, format, value);
    return device.sendCommand(command, reply);
}

namespace {
std::optional<int> toDecimal(const QByteArray& text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}
} // namespace

std::optional<int> DeviceCommands::twoCharNumber(const ReplyBuffer& reply, int index)
{
    // Read every tick: two plain digits need no text built.
    const char first = reply.at(index), second = reply.at(index + 1);
    if (first >= '0' && first <= '9' && second >= '0' && second <= '9')
        return (first - '0') * 10 + (second - '0');
    QByteArray text;
    if (const char first = reply.at(index))
        text += first;
    if (const char second = reply.at(index + 1))
        text += second;
    return toDecimal(text);
}

std::optional<int> DeviceCommands::wholeNumber(const ReplyBuffer& reply)
{
    // The volume is read every tick: a short run of digits needs no text built.
    int value = 0, length = 0;
    for (char c = reply.at(0); c >= '0' && c <= '9' && length < 9; c = reply.at(++length))
        value = value * 10 + (c - '0');
    if (length > 0 && reply.at(length) == '\0')
        return value;
    return toDecimal(reply.toByteArray());
}

bool DeviceCommands::isMode(const ReplyBuffer& reply, const char* mode)
{
    return reply.equals(mode);
}

int DeviceCommands::readTrackPosition(CdAudioDevice& device, TrackPosition& position)
{
    ReplyBuffer reply;
    if (device.sendCommand("status cdaudio position wait", reply) != 0)
        return -1;
    const auto minutes = twoCharNumber(reply, 3);
    const auto seconds = twoCharNumber(reply, 6);
    const auto frames = twoCharNumber(reply, 9);
    // A reply that is not a position is treated like a failed query.
    if (!minutes || !seconds || !frames)
        return -1;
    position = {qint16(*minutes), qint16(*seconds), qint16(*frames)};
    return 0;
}
