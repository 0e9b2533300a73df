#include "platform/cdaudio/PcmSink.h"

#include "core/Logging.h"
#include "platform/cdaudio/ClockSink.h"
#include "platform/cdaudio/PulseSink.h"

#include <atomic>

namespace {
// Playing silently is said once per process, whatever led to it and however
// often the server is tried again afterwards.
std::unique_ptr<PcmSink> silentClock(const Clock& clock, const QString& why)
{
    static std::atomic<bool> said{false};
    if (!said.exchange(true))
        qCWarning(lcSound, "%s; playing silently on a real-time clock", qPrintable(why));
    return std::make_unique<ClockSink>(clock, true);
}
} // namespace

std::unique_ptr<PcmSink> PcmSink::createDefault(const Clock& clock)
{
    QString why;
    if (auto pulse = PulseSink::connect(&why))
        return pulse;
    return silentClock(clock, QStringLiteral("no sound server (%1)").arg(why));
}

std::unique_ptr<PcmSink> PcmSink::silentStandIn(const Clock& clock)
{
    return silentClock(clock, QStringLiteral("the sound output failed"));
}
