#pragma once

#include "core/TrackPosition.h"
#include "platform/cdaudio/CdAudioDevice.h"

#include <QtGlobal>
#include <optional>

// Helpers over the device: formatted commands and the fixed-index reading of
// replies. Replies are never split on colons.
namespace DeviceCommands {
int send(CdAudioDevice& device, const char* command, ReplyBuffer& reply);
// Substitutes one decimal integer for the %d of the format, then sends.
int sendNumber(CdAudioDevice& device, const char* format, int value, ReplyBuffer& reply);

// The number formed by reply characters index and index + 1; a NUL adds
// nothing, so the single character 8 reads as 8. Nullopt when not a number.
std::optional<int> twoCharNumber(const ReplyBuffer& reply, int index);
// The whole reply as a decimal number.
std::optional<int> wholeNumber(const ReplyBuffer& reply);
// Whole-word comparison of the mode reply.
bool isMode(const ReplyBuffer& reply, const char* mode);

// "status cdaudio position wait" into minutes, seconds and frames of the
// track. -1 (output untouched) when the command or the reply fails, else 0.
int readTrackPosition(CdAudioDevice& device, TrackPosition& position);
} // namespace DeviceCommands
