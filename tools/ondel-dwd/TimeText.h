#pragma once

#include "core/TrackPosition.h"

#include <QByteArrayView>
#include <QString>
#include <optional>

// Times and piece texts as the commands read and print them.
namespace TimeText {
// "m:ss:ff" within the track: seconds 0-59, frames 0-74, no signs.
std::optional<TrackPosition> parsePosition(const QString& text);
// "M:SS" as a position within the track.
std::optional<TrackPosition> parseLength(const QString& text);
QString formatPosition(const TrackPosition& time);
// A piece's Shift-JIS text on one line of a terminal (⏎ for line breaks, ⇥ for tabs).
QString displayText(QByteArrayView bytes);
} // namespace TimeText
