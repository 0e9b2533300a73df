#include "TimeText.h"

#include "lyrics/format/ShiftJis.h"

#include <QStringList>

std::optional<TrackPosition> TimeText::parsePosition(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() != 3) {
        return std::nullopt;
    }
    bool okMinutes = false, okSeconds = false, okFrames = false;
    const int minutes = parts[0].toInt(&okMinutes);
    const int seconds = parts[1].toInt(&okSeconds);
    const int frames = parts[2].toInt(&okFrames);
    if (!okMinutes || !okSeconds || !okFrames || parts[1].size() > 2 || parts[2].size() > 2 || minutes < 0 ||
        minutes > 32767 || seconds < 0 || seconds > 59 || frames < 0 || frames > 74 ||
        parts[0].startsWith(QLatin1Char('+')) || parts[1].startsWith(QLatin1Char('+')) ||
        parts[2].startsWith(QLatin1Char('+'))) {
        return std::nullopt;
    }
    return TrackPosition{qint16(minutes), qint16(seconds), qint16(frames)};
}

std::optional<TrackPosition> TimeText::parseLength(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    bool okMinutes = false, okSeconds = false;
    const int minutes = parts.value(0).toInt(&okMinutes);
    const int seconds = parts.value(1).toInt(&okSeconds);
    if (parts.size() != 2 || !okMinutes || !okSeconds || minutes < 0 || minutes > 32767 || seconds < 0 ||
        seconds > 59 || parts[1].size() != 2) {
        return std::nullopt;
    }
    return TrackPosition{qint16(minutes), qint16(seconds), 0};
}

QString TimeText::formatPosition(const TrackPosition& time)
{
    return QStringLiteral("%1:%2:%3")
        .arg(time.minutes)
        .arg(time.seconds, 2, 10, QLatin1Char('0'))
        .arg(time.frames, 2, 10, QLatin1Char('0'));
}

QString TimeText::displayText(QByteArrayView bytes)
{
    QString text = ShiftJis::decode(bytes);
    text.replace(QLatin1String("\r\n"), QStringLiteral("⏎"));
    text.replace(QLatin1Char('\r'), QStringLiteral("⏎"));
    text.replace(QLatin1Char('\n'), QStringLiteral("⏎"));
    text.replace(QLatin1Char('\t'), QStringLiteral("⇥"));
    return text;
}
