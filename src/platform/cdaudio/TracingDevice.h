#pragma once

#include "platform/cdaudio/CdAudioDevice.h"

class Trace;

// Passes every command through and writes it, its result and reply to the trace.
class TracingDevice final : public CdAudioDevice {
public:
    TracingDevice(CdAudioDevice& inner, Trace& trace) : inner_(inner), trace_(trace) {}
    int sendCommand(const char* command, ReplyBuffer& reply) override;

private:
    CdAudioDevice& inner_;
    Trace& trace_;
};
