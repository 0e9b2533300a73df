#pragma once

#include "platform/cdaudio/CdAudioDevice.h"

#include <QByteArrayList>
#include <functional>
#include <utility>

// Passes commands to another device and keeps the list of what was sent.
class RecordingDevice final : public CdAudioDevice {
public:
    explicit RecordingDevice(CdAudioDevice& inner) : inner_(inner) {}
    int sendCommand(const char* command, ReplyBuffer& reply) override
    {
        sent.append(QByteArray(command));
        if (answer) {
            reply.clear();
            if (answer(QByteArray(command), reply))
                return 0;
        }
        const int result = inner_.sendCommand(command, reply);
        // A device whose command runs the event loop lets a tick in here.
        if (insideCommand) {
            auto hook = std::exchange(insideCommand, nullptr);
            hook(QByteArray(command));
            insideCommand = hook;
        }
        return result;
    }
    int count(const QByteArray& command) const { return int(sent.count(command)); }

    QByteArrayList sent;
    std::function<void(const QByteArray&)> insideCommand;
    // Answers a command in the inner device's place (true: answered, result 0).
    std::function<bool(const QByteArray&, ReplyBuffer&)> answer;

private:
    CdAudioDevice& inner_;
};
