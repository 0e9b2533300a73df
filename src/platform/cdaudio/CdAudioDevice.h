#pragma once

#include "platform/cdaudio/ReplyBuffer.h"

// The CD audio string-command interface: one English command line naming the
// device type "cdaudio" in, a result code (0 = success) and a reply text out.
// A failed command answers a non-zero code and an empty reply.
class CdAudioDevice {
public:
    virtual ~CdAudioDevice() = default;
    virtual int sendCommand(const char* command, ReplyBuffer& reply) = 0;
};

// Result codes the device session answers with.
namespace DeviceResult {
constexpr int Ok = 0;
constexpr int UnrecognizedCommand = 261;
constexpr int DeviceNotOpen = 263;
constexpr int DeviceNotReady = 276;
constexpr int OutOfRange = 282;
constexpr int DeviceBusy = 298;
} // namespace DeviceResult
