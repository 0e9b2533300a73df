#pragma once

#include <QtGlobal>
#include <vector>

// The waveform of a track at every zoom: the lowest and highest sample of
// each block of BlockSamples samples, then of each pair of blocks, and so on,
// so a column of any width is answered from a handful of entries whatever
// the track's length. Samples are mono, -1..1, kept as 16-bit values.
class PeakSummary {
public:
    static constexpr int BlockSamples = 32;

    struct Peak {
        float low = 0;
        float high = 0;
    };

    // Adds samples at the end; a block is complete once it holds BlockSamples.
    void append(const float* samples, qsizetype count);
    // Closes a last, partial block.
    void finish();

    qint64 sampleCount() const { return samples_; }
    // Lowest and highest sample of [first, first + count), to the block
    // (the edges are widened to whole blocks); silence outside the track.
    Peak range(qint64 first, qint64 count) const;
    // One peak per column, columns samplesPerColumn apart from first.
    std::vector<Peak> columns(qint64 first, double samplesPerColumn, int count) const;
    // What the summary holds, in bytes.
    qint64 memoryBytes() const;

private:
    struct Entry {
        qint16 low;
        qint16 high;
    };
    void addBlock(Entry entry);

    // levels_[0] per block, levels_[n] per 2^n blocks.
    std::vector<std::vector<Entry>> levels_{1};
    qint64 samples_ = 0;
    qint16 blockLow_ = 0;
    qint16 blockHigh_ = 0;
    int inBlock_ = 0;
};
