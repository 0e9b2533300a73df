#pragma once

#include <QByteArray>
#include <QString>

// Every key and value name the player keeps in the per-user settings store.
// "Software\OndelPlayer\X\Y" is the group "X/Y" of the settings file; other
// installations and the user's own files rely on these exact names.
namespace SettingsKeys {
// One key per disc, named after the identity text the device reports, with
// one string value "[<track>]" per related track: the lyrics file's full name.
inline QString relationKey(const QByteArray& identity)
{
    return QStringLiteral("Software\\OndelPlayer\\RelationData\\[") + QString::fromLatin1(identity) +
           QLatin1Char(']');
}
inline QString trackValue(int track)
{
    return QLatin1Char('[') + QString::number(track) + QLatin1Char(']');
}

// The main window's place, play mode, lyrics switch and mini mode.
inline const QString PlayerState = QStringLiteral("Software\\OndelPlayer\\PlayerState");
// The lyrics window's place and display mode.
inline const QString WordsDisplayState = QStringLiteral("Software\\OndelPlayer\\WordsDisplayState");
// What the compiler window keeps between takes: the author's tap latency and
// the snapping of presses to note onsets.
inline const QString CompileState = QStringLiteral("Software\\OndelPlayer\\CompileState");

inline const QString Left = QStringLiteral("Left");
inline const QString Top = QStringLiteral("Top");
inline const QString Mode = QStringLiteral("Mode");
inline const QString WordsOn = QStringLiteral("WordsOn");
inline const QString MiniCDPlayer = QStringLiteral("MiniCDPlayer");
// 1: the lyrics window fills each piece as it is sung; 0 or absent: all at once.
inline const QString Wipe = QStringLiteral("Wipe");
// Milliseconds by which the author's timing presses come after the beat.
inline const QString TapLatency = QStringLiteral("TapLatency");
// 1 when timing presses move to the nearest note onset, 0 when not.
inline const QString SnapToOnsets = QStringLiteral("SnapToOnsets");
// How far (milliseconds) a press looks for a note onset.
inline const QString SnapWindow = QStringLiteral("SnapWindow");
} // namespace SettingsKeys
