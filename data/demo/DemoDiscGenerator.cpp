// Generates the demo disc: three synthesized tracks in one FLAC file with a
// cue sheet, the lyrics script of track 1 (Shift-JIS, CR LF) and its timing
// file (one m:ss:ff per timing key press). The melody and the lyric timings
// come from the same note table, so the lyrics match the music exactly.
//
// Track 1 is "Sakura sakura", a traditional Japanese song in the public
// domain; tracks 2 and 3 are generated pieces without words.
//
//   ondel-demo-disc OUTDIR

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sndfile.h>
#include <string>
#include <vector>

namespace {
constexpr int Rate = 44100;
constexpr int SamplesPerFrame = 588; // one CD frame, 1/75 s
constexpr double Pi = 3.14159265358979323846;

// One note of the melody: MIDI pitch (0 = rest), length in eighth notes, and
// the syllable sung on it; an empty syllable continues the one before.
struct Note {
    int pitch;
    int eighths;
    const char* syllable;
};

constexpr int A4 = 69, B4 = 71, C5 = 72, F4 = 65, E4 = 64, C4 = 60, B3 = 59;

// Seven lines of the song; each line ends a line of the script.
const std::vector<std::vector<Note>> Song = {
    {{A4, 2, "さ"}, {A4, 2, "く"}, {B4, 4, "ら "}, {A4, 2, "さ"}, {A4, 2, "く"}, {B4, 4, "ら"}},
    {{A4, 2, "や"},
     {B4, 2, "よ"},
     {C5, 2, "い"},
     {B4, 2, "の "},
     {A4, 2, "そ"},
     {B4, 1, "ら"},
     {A4, 1, ""},
     {F4, 4, "は"}},
    {{E4, 2, "み"},
     {C4, 2, "わ"},
     {E4, 2, "た"},
     {F4, 2, "す "},
     {E4, 2, "か"},
     {E4, 1, "ぎ"},
     {C4, 1, ""},
     {B3, 4, "り"}},
    {{A4, 2, "か"},
     {B4, 2, "す"},
     {C5, 2, "み"},
     {B4, 2, "か "},
     {A4, 2, "く"},
     {B4, 1, "も"},
     {A4, 1, ""},
     {F4, 4, "か"}},
    {{E4, 2, "に"},
     {C4, 2, "お"},
     {E4, 2, "い"},
     {F4, 2, "ぞ "},
     {E4, 2, "い"},
     {E4, 1, "ず"},
     {C4, 1, ""},
     {B3, 4, "る"}},
    {{A4, 2, "い"}, {A4, 2, "ざ"}, {B4, 4, "や "}, {A4, 2, "い"}, {A4, 2, "ざ"}, {B4, 4, "や"}},
    {{E4, 2, "み"}, {F4, 2, "に "}, {B4, 1, "ゆ"}, {A4, 1, ""}, {F4, 2, "か"}, {E4, 8, "ん"}},
};
// Lines at which a new page of lyrics begins.
const std::vector<size_t> PageStarts = {3, 5};
const char* const ScriptHeader = "[/formsize(520,170)][/backcolor(255,250,240)][/fontsize(24)]"
                                 "[/fontcolor(0,0,255)][/fontprecolor(128,128,128)]";
// Every line is placed by its own cursor command, since a line break returns
// the pen to the window's left edge: this keeps all lines on one margin.
std::string lineCursor(size_t lineInPage)
{
    return "[/setcursor(20," + std::to_string(16 + 44 * lineInPage) + ")]";
}

constexpr double Eighth = 60.0 / 88.0 / 2.0; // 88 beats a minute
constexpr double SongLeadIn = 1.0;           // the singing starts one second in

double frequency(double midi)
{
    return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0);
}

struct Stereo {
    std::vector<float> left, right;
    explicit Stereo(size_t n) : left(n), right(n) {}
    size_t size() const { return left.size(); }
};

// A plucked string: a few harmonics with a fast attack and an exponential decay.
void pluck(Stereo& out, double at, double seconds, double hz, double gain, double pan, double decay = 0.9)
{
    const size_t first = size_t(at * Rate);
    const size_t length = size_t((seconds + 0.25) * Rate);
    const double harmonics[] = {1.0, 0.45, 0.22, 0.1, 0.05};
    for (size_t i = 0; i < length && first + i < out.size(); ++i) {
        const double t = double(i) / Rate;
        double envelope = std::min(1.0, t / 0.008) * std::exp(-t / decay);
        if (t > seconds)
            envelope *= std::exp(-(t - seconds) / 0.05); // damped at the note's end
        double v = 0;
        for (int h = 0; h < 5; ++h)
            v += harmonics[h] * std::sin(2 * Pi * hz * (h + 1) * t) * std::exp(-t * h * 0.8);
        v *= envelope * gain;
        out.left[first + i] += float(v * (1 - pan));
        out.right[first + i] += float(v * (1 + pan));
    }
}

// A soft sustained tone that swells in and out.
void pad(Stereo& out, double at, double seconds, double hz, double gain, double pan)
{
    const size_t first = size_t(at * Rate);
    const size_t length = size_t(seconds * Rate);
    for (size_t i = 0; i < length && first + i < out.size(); ++i) {
        const double t = double(i) / Rate;
        const double envelope = std::sin(Pi * t / seconds);
        const double v = gain * envelope * (std::sin(2 * Pi * hz * t) + 0.3 * std::sin(2 * Pi * hz * 2 * t));
        out.left[first + i] += float(v * (1 - pan));
        out.right[first + i] += float(v * (1 + pan));
    }
}

size_t wholeFrames(double seconds)
{
    return (size_t(seconds * Rate) + SamplesPerFrame - 1) / SamplesPerFrame * SamplesPerFrame;
}

std::string msf(size_t samples, bool padMinutes)
{
    const size_t frames = samples / SamplesPerFrame;
    char text[32];
    std::snprintf(text, sizeof text, padMinutes ? "%02zu:%02zu:%02zu" : "%zu:%02zu:%02zu", frames / 4500,
                  frames / 75 % 60, frames % 75);
    return text;
}

// Hiragana, the space and ASCII to Shift-JIS: hiragana run in Unicode order
// from 0x829F.
std::string toShiftJis(const std::string& utf8)
{
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out += char(c);
            ++i;
            continue;
        }
        const unsigned cp = (c & 0x0F) << 12 | (utf8[i + 1] & 0x3F) << 6 | (utf8[i + 2] & 0x3F);
        i += 3;
        if (cp < 0x3041 || cp > 0x3093) {
            std::fprintf(stderr, "ondel-demo-disc: no Shift-JIS code for U+%04X\n", cp);
            std::exit(1);
        }
        out += char(0x82);
        out += char(0x9F + (cp - 0x3041));
    }
    return out;
}

Stereo sakura(std::string& script, std::string& times)
{
    double songEighths = 0;
    for (const auto& line : Song)
        for (const Note& n : line)
            songEighths += n.eighths;
    Stereo out(wholeFrames(SongLeadIn + songEighths * Eighth + 2.5));
    double at = SongLeadIn;
    script = ScriptHeader;
    size_t lineInPage = 0;
    for (size_t l = 0; l < Song.size(); ++l) {
        for (size_t p : PageStarts)
            if (p == l) {
                script += "[/clear]";
                lineInPage = 0;
            }
        script += lineCursor(lineInPage++);
        for (const Note& n : Song[l]) {
            const double seconds = n.eighths * Eighth;
            pluck(out, at, seconds, frequency(n.pitch), 0.28, -0.15);
            if (*n.syllable) {
                script += n.syllable;
                times += msf(size_t(at * Rate), false) + "\n";
            }
            at += seconds;
        }
        if (l + 1 < Song.size())
            script += "\r\n";
    }
    // A drone of the mode's root and fifth under the melody, one swell per line.
    for (double t = 0; t + 1 < double(out.size()) / Rate; t += 16 * Eighth) {
        pad(out, t, 16 * Eighth + 1.0, frequency(45), 0.05, 0.4);
        pad(out, t, 16 * Eighth + 1.0, frequency(52), 0.035, 0.4);
    }
    return out;
}

// Track 2: a wandering line on the same five-note scale, from a fixed seed.
Stereo wandering()
{
    Stereo out(wholeFrames(36.0));
    const int scale[] = {57, 59, 60, 64, 65, 69, 71, 72, 76};
    std::uint32_t seed = 20240601;
    int step = 4;
    const double beat = 0.3;
    for (double t = 0.5; t < 34.0; t += beat) {
        seed = seed * 1664525u + 1013904223u;
        step = std::clamp(step + int(seed >> 29) - 3, 0, 8);
        pluck(out, t, beat * 1.5, frequency(scale[step]), 0.22, (seed >> 8 & 0xFF) / 255.0 - 0.5, 0.5);
        if (int(t / beat) % 8 == 0)
            pad(out, t, beat * 8 + 0.5, frequency(45), 0.06, 0);
    }
    return out;
}

// Track 3: slow bell chords with long decays.
Stereo bells()
{
    Stereo out(wholeFrames(33.0));
    const int chords[][3] = {{57, 64, 71}, {53, 60, 69}, {52, 59, 64}, {57, 60, 64}};
    for (int i = 0; i < 12; ++i) {
        const double at = 0.5 + i * 2.6;
        for (int k = 0; k < 3; ++k)
            pluck(out, at + k * 0.04, 2.6, frequency(chords[i % 4][k] + (i >= 8 ? 12 : 0)), 0.12,
                  (k - 1) * 0.5, 1.8);
    }
    return out;
}

bool writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary);
    file << bytes;
    return bool(file);
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: ondel-demo-disc OUTDIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    std::string script, times;
    const std::vector<Stereo> tracks = {sakura(script, times), wandering(), bells()};

    SF_INFO info{};
    info.samplerate = Rate;
    info.channels = 2;
    info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    SNDFILE* flac = sf_open((dir + "/demo.flac").c_str(), SFM_WRITE, &info);
    if (!flac) {
        std::fprintf(stderr, "ondel-demo-disc: %s\n", sf_strerror(nullptr));
        return 1;
    }
    std::string cue = "REM The OndelPlayer demo disc, generated at build time\r\n"
                      "TITLE \"OndelPlayer demo disc\"\r\nFILE \"demo.flac\" WAVE\r\n";
    const char* titles[] = {"Sakura sakura", "Wandering", "Bells"};
    size_t written = 0;
    for (size_t t = 0; t < tracks.size(); ++t) {
        char head[128];
        std::snprintf(head, sizeof head, "  TRACK %02zu AUDIO\r\n    TITLE \"%s\"\r\n    INDEX 01 %s\r\n",
                      t + 1, titles[t], msf(written, true).c_str());
        cue += head;
        std::vector<short> pcm(tracks[t].size() * 2);
        for (size_t i = 0; i < tracks[t].size(); ++i) {
            pcm[2 * i] = short(std::lround(std::clamp(tracks[t].left[i], -1.0f, 1.0f) * 32767));
            pcm[2 * i + 1] = short(std::lround(std::clamp(tracks[t].right[i], -1.0f, 1.0f) * 32767));
        }
        sf_writef_short(flac, pcm.data(), sf_count_t(tracks[t].size()));
        written += tracks[t].size();
    }
    sf_close(flac);
    if (!writeFile(dir + "/demo.cue", cue) || !writeFile(dir + "/sakura.txt", toShiftJis(script)) ||
        !writeFile(dir + "/sakura.times", times)) {
        std::fprintf(stderr, "ondel-demo-disc: cannot write into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
