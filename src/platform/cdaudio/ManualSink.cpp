#include "platform/cdaudio/ManualSink.h"

#include "platform/cdaudio/PcmRing.h"

void ManualSink::start(PcmRing& ring)
{
    ring_ = &ring;
    played_ = 0;
    heard_.clear();
    ++starts_;
}

void ManualSink::stop()
{
    ring_ = nullptr;
}

qint64 ManualSink::play(qint64 size)
{
    if (!ring_ || size <= 0)
        return 0;
    QByteArray chunk(size, Qt::Uninitialized);
    const qint64 n = ring_->read(chunk.data(), size);
    heard_.append(chunk.constData(), n);
    played_ += n;
    return n;
}
