#pragma once

#include <QtGlobal>
#include <condition_variable>
#include <mutex>
#include <vector>

// The bounded byte queue between the reader thread and the sink: 44.1 kHz
// stereo 16-bit PCM. The reader blocks while it is full; the sink never
// blocks. Counts are in bytes and stay multiples of 4 (one stereo sample).
class PcmRing {
public:
    explicit PcmRing(qsizetype capacity);

    // Waits for room and queues all bytes; false when cancelled meanwhile.
    bool write(const char* data, qsizetype size);
    // Takes up to maxSize bytes (whole samples) without waiting.
    qsizetype read(char* data, qsizetype maxSize);
    // Drops up to maxSize bytes as if they had been read.
    qsizetype discard(qsizetype maxSize);
    qsizetype available() const;
    // Waits until at least size bytes are queued or the writer has finished.
    void waitFor(qsizetype size, int timeoutMs);

    // The writer has queued its last byte.
    void finish();
    bool finished() const;
    // True once every byte the writer will ever queue has been read.
    bool drained() const;
    // Wakes a waiting writer and makes it give up; clears the queue.
    void cancel();
    // Empties the queue and makes it ready for a new stream.
    void reset();

private:
    qsizetype take(char* data, qsizetype maxSize);

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<char> buffer_;
    qsizetype head_ = 0; // next byte to read
    qsizetype size_ = 0;
    bool finished_ = false;
    bool cancelled_ = false;
};
