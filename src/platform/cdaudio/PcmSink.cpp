#include "PcmSink.h"

#include "ClockSink.h"
#include "PulseSink.h"

#include <atomic>
#include <cstdio>

namespace {
// Playing silently is said once per process, whatever led to it and however
// often the server is tried again afterwards.
std::unique_ptr<PcmSink> silentClock(const Clock& clock, const QString& why)
{
    static std::atomic<bool> said{false};
    if (!said.exchange(true))
        std::fprintf(stderr, "ondelplayer: %s; playing silently on a real-time clock\n", qPrintable(why));
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
