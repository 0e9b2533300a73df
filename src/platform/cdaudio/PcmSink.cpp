#include "PcmSink.h"

#include "ClockSink.h"
#include "QtAudioOutputSink.h"

#include <QMediaDevices>
#include <cstdio>

std::unique_ptr<PcmSink> PcmSink::createDefault(const Clock& clock)
{
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (!device.isNull())
        return std::make_unique<QtAudioOutputSink>(device);
    static bool said = false;
    if (!said) {
        std::fprintf(stderr, "ondelplayer: no sound output device; playing silently on a real-time clock\n");
        said = true;
    }
    return std::make_unique<ClockSink>(clock);
}
