#pragma once

class DiscSource;
class QString;
class SettingsStore;
class Trace;

// What the program entry does with the disc before the main window opens:
// says why a disc cannot be read (standard error and trace), and on the
// demo disc with no association yet relates its track 1 to the demo lyrics.
namespace DiscStartup {
void prepare(DiscSource& source, SettingsStore& settings, Trace* trace);
// Relates track 1 of the demo disc to dwdPath when the disc has no
// association key yet; true when it wrote one.
bool relateDemoLyrics(DiscSource& source, SettingsStore& settings, const QString& dwdPath);
} // namespace DiscStartup
