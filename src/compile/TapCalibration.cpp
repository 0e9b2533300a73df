#include "compile/TapCalibration.h"

#include <QList>
#include <algorithm>
#include <cmath>

namespace {
// The middle value, or the mean of the two middle ones; values is sorted here.
double median(QList<double>& values)
{
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Half a millisecond goes away from zero, the same for early and late taps.
int roundMs(double ms)
{
    return int(std::lround(ms));
}
} // namespace

void TapCalibration::reset()
{
    offsets_.fill(std::nullopt);
}

std::optional<int> TapCalibration::tap(qint64 heardMs)
{
    // Each click owns [click - interval/2, click + interval/2): the windows
    // tile the count-in, so every press has exactly one nearest click.
    const qint64 shifted = heardMs - FirstClickMs + ClickIntervalMs / 2;
    if (shifted < 0)
        return std::nullopt;
    const qint64 click = shifted / ClickIntervalMs;
    if (click >= Clicks || isListenClick(int(click)) || offsets_[click])
        return std::nullopt;
    offsets_[click] = int(heardMs - clickMs(int(click)));
    return int(click);
}

std::optional<int> TapCalibration::offsetOf(int click) const
{
    if (click < 0 || click >= Clicks)
        return std::nullopt;
    return offsets_[click];
}

int TapCalibration::matchedCount() const
{
    return int(std::count_if(offsets_.begin(), offsets_.end(), [](const auto& o) { return o.has_value(); }));
}

TapCalibration::Result TapCalibration::result() const
{
    Result result;
    QList<double> offsets;
    for (const std::optional<int>& offset : offsets_) {
        if (offset)
            offsets.append(*offset);
    }
    result.matched = int(offsets.size());
    if (result.matched < MinMatchedTaps) {
        result.reason = tooFewMessage(result.matched);
        return result;
    }
    const double middle = median(offsets);
    QList<double> deviations;
    for (const double offset : std::as_const(offsets))
        deviations.append(std::abs(offset - middle));
    result.spreadMs = roundMs(median(deviations));
    if (result.spreadMs > MaxSpreadMs) {
        result.reason = tooScatteredMessage(result.spreadMs);
        return result;
    }
    result.latencyMs = roundMs(middle);
    return result;
}

std::optional<int> TapCalibration::clickSounding(qint64 heardMs, int lampMs)
{
    for (int click = Clicks - 1; click >= 0; --click) {
        if (heardMs >= clickMs(click))
            return heardMs < clickMs(click) + lampMs ? std::optional(click) : std::nullopt;
    }
    return std::nullopt;
}

QString TapCalibration::signedMs(int ms)
{
    return (ms > 0 ? QStringLiteral("+") : QString()) + QString::number(ms) + QStringLiteral(" ms");
}

QString TapCalibration::resultText(int latencyMs, int spreadMs)
{
    return signedMs(latencyMs) + QStringLiteral("（ばらつき %1 ms）").arg(spreadMs);
}

QString TapCalibration::keptText(int latencyMs)
{
    return QStringLiteral("遅れ補正 ") + (latencyMs == 0 ? QStringLiteral("なし") : signedMs(latencyMs));
}

QString TapCalibration::tooFewMessage(int matched)
{
    return QStringLiteral("クリックに合ったタップが %1 回でした。\n後半の %2 回のクリックに合わせて、"
                          "%3 回以上タップしてください。")
        .arg(matched)
        .arg(TapClicks)
        .arg(MinMatchedTaps);
}

QString TapCalibration::tooScatteredMessage(int spreadMs)
{
    return QStringLiteral(
               "タップのばらつきが大きすぎます（%1 ms）。\nクリックに合わせて、もう一度測ってください。")
        .arg(spreadMs);
}

QString TapCalibration::noSoundMessage()
{
    return QStringLiteral("クリック音を鳴らせません。\nサウンドの出力を確認してください。");
}

QString TapCalibration::soundLostMessage()
{
    return QStringLiteral("クリック音が途中で止まりました。\nもう一度測ってください。");
}

QString TapCalibration::silentNotice()
{
    return QStringLiteral("音が出ていません。ランプに合わせたタップでは、聞いて押す遅れは測れません。");
}
