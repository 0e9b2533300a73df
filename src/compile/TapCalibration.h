#pragma once

#include <QString>
#include <QtGlobal>
#include <array>
#include <optional>

// Measures how late (or early) an author's timing press comes after the beat
// they hear. A count-in of clicks plays: the first ones only to listen to, so
// the hand finds the beat, then the ones to tap along to. Each tap is matched
// to the tap-along click nearest to it; the median of the matched offsets is
// the author's latency, and the compiler takes it off every press.
//
// Times are milliseconds of the count-in's audio, the sample being heard at
// the press, so the sound system's own delay is not part of the result.
class TapCalibration {
public:
    static constexpr int ListenClicks = 4;
    static constexpr int TapClicks = 8;
    static constexpr int Clicks = ListenClicks + TapClicks;
    // 100 beats a minute: slow enough to tap each click on purpose, fast
    // enough that the hand keeps the beat instead of reacting to each click.
    static constexpr int ClickIntervalMs = 600;
    // A moment of silence first, so the output has started before the first click.
    static constexpr int FirstClickMs = 300;
    // A tap counts for a click up to half an interval either side; beyond
    // that it is nearer the next click. No latency outside these bounds can
    // be measured, so no other value is ever kept.
    static constexpr int MaxLatencyMs = ClickIntervalMs / 2;
    // Fewer matched taps give a median that one stray tap can move.
    static constexpr int MinMatchedTaps = 5;
    // Taps that scatter more than this (median absolute deviation) follow no
    // beat: a random tap lands about 150 ms from the median, a steady hand
    // within some 30.
    static constexpr int MaxSpreadMs = 80;

    static constexpr qint64 clickMs(int click) { return FirstClickMs + qint64(click) * ClickIntervalMs; }
    static constexpr bool isListenClick(int click) { return click < ListenClicks; }
    // After this no tap can count for any click: the measurement is complete.
    static constexpr qint64 closedMs =
        FirstClickMs + qint64(Clicks - 1) * ClickIntervalMs + ClickIntervalMs / 2;
    // The count-in's whole length: the last click and a beat of silence.
    static constexpr qint64 lengthMs = FirstClickMs + qint64(Clicks) * ClickIntervalMs;

    struct Result {
        std::optional<int> latencyMs; // none when the taps do not tell
        int spreadMs = 0;             // median absolute deviation of the matched taps
        int matched = 0;
        QString reason; // why there is no latency, for the user
    };

    // Forgets every tap, for a new count-in.
    void reset();
    // A press heard at heardMs: the tap-along click it was matched to, or
    // nullopt when it falls near a listen click, outside every click's
    // window, or on a click that already has its tap (the first one holds).
    std::optional<int> tap(qint64 heardMs);
    // The matched tap's offset from its click (positive: late).
    std::optional<int> offsetOf(int click) const;
    int matchedCount() const;
    Result result() const;

    // The click whose sound has begun within lampMs before heardMs, if any.
    static std::optional<int> clickSounding(qint64 heardMs, int lampMs);

    // "+45 ms", "-12 ms", "0 ms".
    static QString signedMs(int ms);
    // "+45 ms（ばらつき 12 ms）"
    static QString resultText(int latencyMs, int spreadMs);
    // The compiler window's line: "遅れ補正 +45 ms", or "遅れ補正 なし" for none.
    static QString keptText(int latencyMs);
    static QString tooFewMessage(int matched);
    static QString tooScatteredMessage(int spreadMs);
    static QString noSoundMessage();
    // The output went away in the middle of the count-in.
    static QString soundLostMessage();
    // The output only keeps time: there is nothing to hear.
    static QString silentNotice();

private:
    std::array<std::optional<int>, Clicks> offsets_;
};
