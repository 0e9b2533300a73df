#include "platform/cdaudio/PcmRing.h"

#include <algorithm>
#include <chrono>
#include <cstring>

PcmRing::PcmRing(qsizetype capacity) : buffer_(size_t(std::max<qsizetype>(capacity / 4 * 4, 4)))
{
}

bool PcmRing::write(const char* data, qsizetype size)
{
    const qsizetype capacity = qsizetype(buffer_.size());
    while (size > 0) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return cancelled_ || size_ < capacity; });
        if (cancelled_)
            return false;
        const qsizetype n = std::min(size, capacity - size_);
        qsizetype tail = (head_ + size_) % capacity;
        const qsizetype first = std::min(n, capacity - tail);
        std::memcpy(buffer_.data() + tail, data, size_t(first));
        std::memcpy(buffer_.data(), data + first, size_t(n - first));
        size_ += n;
        data += n;
        size -= n;
        changed_.notify_all();
    }
    return true;
}

qsizetype PcmRing::take(char* data, qsizetype maxSize)
{
    const qsizetype capacity = qsizetype(buffer_.size());
    const qsizetype n = std::min(maxSize, size_) / 4 * 4;
    if (data) {
        const qsizetype first = std::min(n, capacity - head_);
        std::memcpy(data, buffer_.data() + head_, size_t(first));
        std::memcpy(data + first, buffer_.data(), size_t(n - first));
    }
    head_ = (head_ + n) % capacity;
    size_ -= n;
    if (n > 0)
        changed_.notify_all();
    return n;
}

qsizetype PcmRing::read(char* data, qsizetype maxSize)
{
    std::lock_guard lock(mutex_);
    return take(data, maxSize);
}

qsizetype PcmRing::discard(qsizetype maxSize)
{
    std::lock_guard lock(mutex_);
    return take(nullptr, maxSize);
}

qsizetype PcmRing::available() const
{
    std::lock_guard lock(mutex_);
    return size_;
}

void PcmRing::waitFor(qsizetype size, int timeoutMs)
{
    std::unique_lock lock(mutex_);
    size = std::min(size, qsizetype(buffer_.size()));
    changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                      [&] { return cancelled_ || finished_ || size_ >= size; });
}

void PcmRing::finish()
{
    std::lock_guard lock(mutex_);
    finished_ = true;
    changed_.notify_all();
}

bool PcmRing::finished() const
{
    std::lock_guard lock(mutex_);
    return finished_;
}

bool PcmRing::drained() const
{
    std::lock_guard lock(mutex_);
    return finished_ && size_ == 0;
}

void PcmRing::cancel()
{
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    head_ = size_ = 0;
    changed_.notify_all();
}

void PcmRing::reset()
{
    std::lock_guard lock(mutex_);
    cancelled_ = finished_ = false;
    head_ = size_ = 0;
    changed_.notify_all();
}
