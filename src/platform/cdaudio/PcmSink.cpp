#include "platform/cdaudio/PcmSink.h"

#include "core/Logging.h"
#include "platform/cdaudio/ClockSink.h"
#include "platform/cdaudio/QtAudioOutputSink.h"

#include <QMediaDevices>
#include <cstdio>

std::unique_ptr<PcmSink> PcmSink::createDefault(const Clock& clock)
{
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (!device.isNull())
        return std::make_unique<QtAudioOutputSink>(device);
    static bool said = false;
    if (!said) {
        qCWarning(lcSound, "no sound output device; playing silently on a real-time clock");
        said = true;
    }
    return std::make_unique<ClockSink>(clock);
}
