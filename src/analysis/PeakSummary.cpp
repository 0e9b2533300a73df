#include "analysis/PeakSummary.h"

#include <algorithm>
#include <cmath>

namespace {
qint16 toShort(float sample)
{
    return qint16(std::lround(std::clamp(sample, -1.0f, 1.0f) * 32767.0f));
}
} // namespace

void PeakSummary::append(const float* samples, qsizetype count)
{
    for (qsizetype i = 0; i < count; ++i) {
        const qint16 value = toShort(samples[i]);
        if (inBlock_ == 0) {
            blockLow_ = value;
            blockHigh_ = value;
        }
        else {
            blockLow_ = std::min(blockLow_, value);
            blockHigh_ = std::max(blockHigh_, value);
        }
        if (++inBlock_ == BlockSamples) {
            addBlock({blockLow_, blockHigh_});
            inBlock_ = 0;
        }
    }
    samples_ += count;
}

void PeakSummary::finish()
{
    if (inBlock_ > 0)
        addBlock({blockLow_, blockHigh_});
    inBlock_ = 0;
}

// Every second entry of a level completes one of the level above.
void PeakSummary::addBlock(Entry entry)
{
    for (size_t level = 0;; ++level) {
        levels_[level].push_back(entry);
        const size_t size = levels_[level].size();
        if (size % 2 != 0)
            return;
        const Entry& left = levels_[level][size - 2];
        entry = {std::min(left.low, entry.low), std::max(left.high, entry.high)};
        if (level + 1 == levels_.size())
            levels_.emplace_back();
    }
}

PeakSummary::Peak PeakSummary::range(qint64 first, qint64 count) const
{
    if (count <= 0)
        return {};
    const qint64 firstBlock = std::max<qint64>(0, first / BlockSamples);
    const qint64 endBlock =
        std::min<qint64>(qint64(levels_[0].size()), (first + count - 1) / BlockSamples + 1);
    if (endBlock <= firstBlock)
        return {};
    // The coarsest level at which the range is still a few entries wide.
    size_t level = 0;
    while (level + 1 < levels_.size() && (qint64(1) << (level + 2)) <= endBlock - firstBlock)
        ++level;
    qint16 low = 32767;
    qint16 high = -32768;
    for (qint64 block = firstBlock; block < endBlock;) {
        // The largest aligned, complete entry at or below level that starts here and fits.
        size_t at = level;
        while (at > 0 && (block % (qint64(1) << at) != 0 || block + (qint64(1) << at) > endBlock ||
                          (block >> at) >= qint64(levels_[at].size())))
            --at;
        const Entry& entry = levels_[at][size_t(block >> at)];
        low = std::min(low, entry.low);
        high = std::max(high, entry.high);
        block += qint64(1) << at;
    }
    return {low / 32767.0f, high / 32767.0f};
}

std::vector<PeakSummary::Peak> PeakSummary::columns(qint64 first, double samplesPerColumn, int count) const
{
    Q_ASSERT(samplesPerColumn > 0);
    std::vector<Peak> peaks(size_t(std::max(0, count)));
    for (int column = 0; column < count; ++column) {
        const qint64 from = first + qint64(std::floor(column * samplesPerColumn));
        const qint64 to = first + qint64(std::floor((column + 1) * samplesPerColumn));
        peaks[size_t(column)] = range(from, std::max<qint64>(1, to - from));
    }
    return peaks;
}

qint64 PeakSummary::memoryBytes() const
{
    qint64 bytes = 0;
    for (const std::vector<Entry>& level : levels_)
        bytes += qint64(level.capacity() * sizeof(Entry));
    return bytes;
}
