#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

// Music made up for the onset tests, mono 44.1 kHz, with the sample of every
// note's start known: struck tones, a sung line whose syllables glide from
// note to note, a drum loop. Seeded, so every run hears the same song.
struct GeneratedSong {
    std::vector<float> samples;
    std::vector<qint64> onsets;
};

namespace GeneratedMusic {
constexpr int Rate = 44100;
constexpr double Pi = std::numbers::pi;

// Struck notes (a sharp attack, then a ringing decay) 250..700 ms apart,
// overlapping.
inline GeneratedSong tones(double seconds, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> gap(0.25, 0.7);
    std::uniform_int_distribution<int> step(0, 14);
    GeneratedSong song;
    song.samples.assign(size_t(seconds * Rate), 0.0f);
    for (double at = 0.3; at < seconds - 0.5; at += gap(random)) {
        const qint64 start = qint64(at * Rate);
        song.onsets.push_back(start);
        const double frequency = 196.0 * std::pow(2.0, step(random) / 12.0);
        const qint64 end = std::min<qint64>(qint64(song.samples.size()), start + Rate);
        for (qint64 i = start; i < end; ++i) {
            const double t = double(i - start) / Rate;
            const double envelope = std::min(1.0, t / 0.003) * std::exp(-t / 0.25);
            double wave = 0;
            for (int harmonic = 1; harmonic <= 4; ++harmonic)
                wave += std::sin(2 * Pi * frequency * harmonic * t) / harmonic;
            song.samples[size_t(i)] += float(0.2 * envelope * wave);
        }
    }
    return song;
}

// A voice that never stops between syllables: each new syllable starts with
// a short breathy consonant and a dip in loudness, glides to its note within
// 40 ms and holds it with vibrato.
inline GeneratedSong sung(double seconds, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> length(0.25, 0.6);
    std::uniform_int_distribution<int> step(0, 9);
    std::normal_distribution<double> hiss(0.0, 1.0);
    GeneratedSong song;
    song.samples.assign(size_t(seconds * Rate), 0.0f);
    std::vector<double> syllables;
    for (double at = 0.4; at < seconds - 0.6; at += length(random))
        syllables.push_back(at);
    double phase = 0;
    double from = 220, to = 220;
    size_t next = 0;
    double syllableStart = -1;
    for (size_t i = size_t(0.4 * Rate); i < song.samples.size(); ++i) {
        const double time = double(i) / Rate;
        if (next < syllables.size() && time >= syllables[next]) {
            syllableStart = syllables[next];
            song.onsets.push_back(qint64(i));
            from = to;
            to = 220.0 * std::pow(2.0, step(random) / 12.0);
            ++next;
        }
        const double into = time - syllableStart;
        const double nextStart = next < syllables.size() ? syllables[next] : seconds;
        const double glide = std::min(1.0, into / 0.04);
        const double frequency = (from + (to - from) * glide) * (1 + 0.015 * std::sin(2 * Pi * 5.5 * time));
        phase += 2 * Pi * frequency / Rate;
        // Loudness: rises over 15 ms, falls to a fifth over the 30 ms before the next syllable.
        double loudness = std::min(1.0, 0.2 + 0.8 * into / 0.015);
        loudness = std::min(loudness, 0.2 + 0.8 * std::clamp((nextStart - time) / 0.03, 0.0, 1.0));
        double wave = 0;
        for (int harmonic = 1; harmonic <= 6; ++harmonic)
            wave += std::sin(harmonic * phase) / (harmonic * harmonic);
        const double consonant = into < 0.02 ? 0.25 * hiss(random) * (1 - into / 0.02) : 0.0;
        song.samples[i] += float(0.25 * loudness * wave + 0.1 * consonant);
    }
    return song;
}

// Kick on the beats, snare on two and four, a closed hi-hat on every eighth
// at 120 beats a minute: an onset every 250 ms.
inline GeneratedSong drums(double seconds, unsigned seed)
{
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0.0, 1.0);
    GeneratedSong song;
    song.samples.assign(size_t(seconds * Rate), 0.0f);
    int eighth = 0;
    for (double at = 0.25; at < seconds - 0.5; at += 0.25, ++eighth) {
        const qint64 start = qint64(at * Rate);
        song.onsets.push_back(start);
        const bool kick = eighth % 2 == 0;
        const bool snare = eighth % 4 == 2;
        for (qint64 i = start; i < std::min<qint64>(qint64(song.samples.size()), start + Rate / 4); ++i) {
            const double t = double(i - start) / Rate;
            double value = 0.15 * noise(random) * std::exp(-t / 0.01); // hat
            if (kick)
                value += 0.6 * std::sin(2 * Pi * (50 + 80 * std::exp(-t / 0.03)) * t) * std::exp(-t / 0.12);
            if (snare)
                value += 0.35 * noise(random) * std::exp(-t / 0.06);
            song.samples[size_t(i)] += float(value);
        }
    }
    return song;
}

// Background noise decibels below full scale, over the whole song.
inline void addNoise(GeneratedSong& song, double decibels, unsigned seed)
{
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0.0, std::pow(10.0, decibels / 20.0));
    for (float& sample : song.samples)
        sample += float(noise(random));
}

// The song as a 16-bit stereo WAV file, both channels the same.
inline bool writeWav(const GeneratedSong& song, const QString& path)
{
    QByteArray data;
    data.reserve(qsizetype(song.samples.size() * 4));
    for (const float sample : song.samples) {
        const qint16 value = qint16(std::lround(std::clamp(sample, -1.0f, 1.0f) * 32767));
        for (int channel = 0; channel < 2; ++channel) {
            data.append(char(value & 0xff));
            data.append(char((value >> 8) & 0xff));
        }
    }
    auto u32 = [](quint32 v) {
        QByteArray b(4, 0);
        qToLittleEndian(v, b.data());
        return b;
    };
    auto u16 = [](quint16 v) {
        QByteArray b(2, 0);
        qToLittleEndian(v, b.data());
        return b;
    };
    const QByteArray header = "RIFF" + u32(quint32(36 + data.size())) + "WAVEfmt " + u32(16) + u16(1) +
                              u16(2) + u32(Rate) + u32(Rate * 4) + u16(4) + u16(16) + "data" +
                              u32(quint32(data.size()));
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(header + data) == header.size() + data.size();
}
} // namespace GeneratedMusic
