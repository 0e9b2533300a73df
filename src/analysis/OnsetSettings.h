#pragma once

#include <QString>

// How note onsets are found. The default, "voice", runs two of aubio's
// detectors and keeps what either finds: "hfc" (high-frequency content) hears
// a sung syllable's consonant and the harmonics of a new note even when the
// voice hardly gets louder, where a loudness measure sees nothing or sees it
// late (on the generated songs "energy" alone put every syllable 18 ms late,
// past one frame); "energy" hears low struck notes under a hiss, where every
// spectral measure is drowned by the noise's high bands. The phase-based
// methods ("complex", "specflux", "specdiff") fired on every wobble of a held,
// vibrato vowel (a tenth of their onsets were notes). A threshold of 0.5 kept
// every syllable and note of the generated songs and let through the fewest
// false onsets from ringing struck tones.
struct OnsetSettings {
    QString method = QStringLiteral("voice");
    float threshold = 0.5f;
    // Two onsets closer than this are one (a singer does not change syllable
    // faster).
    float minimumGapMs = 50;
    // Quieter than this (dB full scale) is silence: no onsets in it.
    float silenceDb = -60;

    bool operator==(const OnsetSettings&) const = default;
};
