#pragma once

#include "platform/cdaudio/CdAudioDevice.h"

#include <QByteArrayList>

// Passes commands to another device and keeps the list of what was sent.
class RecordingDevice final : public CdAudioDevice {
public:
    explicit RecordingDevice(CdAudioDevice& inner) : inner_(inner) {}
    int DeviceCommand(const char* command, ReplyBuffer& reply) override
    {
        sent.append(QByteArray(command));
        return inner_.DeviceCommand(command, reply);
    }
    int count(const QByteArray& command) const { return int(sent.count(command)); }

    QByteArrayList sent;

private:
    CdAudioDevice& inner_;
};
