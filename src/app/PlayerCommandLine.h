#pragma once

#include <QString>
#include <QStringList>

// The player's command line, read before any window system is touched, so
// that --help and --version work without a display.
struct PlayerOptions {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    QString disc;  // --disc SOURCE; empty: the default disc
    QString trace; // --trace FILE; empty: no trace
    bool traceGiven = false;
    QString error; // why the command line was refused (Action::Error)
};

namespace PlayerCommandLine {
// arguments[0] is the program name.
PlayerOptions parse(const QStringList& arguments);
// The usage text of --help, in the manual page's words.
QString helpText();
// "ondelplayer VERSION" and one line per library.
QString versionText();
} // namespace PlayerCommandLine
