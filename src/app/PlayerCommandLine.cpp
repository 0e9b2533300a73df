#include "app/PlayerCommandLine.h"

#include "platform/cdaudio/LibraryVersions.h"

#include <QCommandLineParser>

namespace {
const char* const HelpText = R"(Usage: ondelplayer [OPTION]...

Plays an audio CD, a disc image or a simulated disc, shows track and time on
seven-segment digits, and shows the lyrics of a track related to a DWD file.

  --disc SOURCE
      The disc to play: sim: with options (a simulated drive), a cue sheet or
      a cdrdao TOC file over BIN, WAV, FLAC, Ogg, AIFF or MP3 files, an audio
      file (WAV, FLAC, Ogg, AIFF, MP3), a folder of audio files (one track
      each, in name order) or a drive such as /dev/sr0. A cue sheet may name
      one file on several FILE lines (each is laid after the one before), mark
      a track by INDEX 00 alone (its start) and end with data tracks, as an
      Enhanced CD does: its audio tracks are the disc. Without it: the drive
      /dev/cdrom if there is one, else the demo disc, else sim:. When a player
      already runs in this session, its window comes up and it changes to
      SOURCE.
  --trace FILE
      Append one line per device command and message box to FILE (- for
      standard error).
  -h, --help
      Show this help and exit.
  -v, --version
      Show the version and the versions of the libraries in use and exit.

Exit status: 0 success, 1 no display could be opened or the running player
cannot play the disc given, 2 bad usage or a trace file that cannot be opened.
)";
} // namespace

PlayerOptions PlayerCommandLine::parse(const QStringList& arguments)
{
    QStringList args = arguments;
    // A launcher with no file to open drops its %f and leaves a bare
    // "--disc" at the end: that asks for the default disc.
    if (args.size() > 1 && args.last() == QLatin1String("--disc"))
        args.removeLast();

    QCommandLineParser parser;
    const QCommandLineOption disc(QStringLiteral("disc"), QString(), QStringLiteral("SOURCE"));
    const QCommandLineOption trace(QStringLiteral("trace"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    parser.addOptions({disc, trace, help, version});

    PlayerOptions options;
    if (!parser.parse(args)) {
        options.action = PlayerOptions::Action::Error;
        options.error = parser.errorText();
        return options;
    }
    if (parser.isSet(help)) {
        options.action = PlayerOptions::Action::Help;
        return options;
    }
    if (parser.isSet(version)) {
        options.action = PlayerOptions::Action::Version;
        return options;
    }
    if (!parser.positionalArguments().isEmpty()) {
        options.action = PlayerOptions::Action::Error;
        options.error = QStringLiteral("unexpected argument '%1' (a disc is given with --disc)")
                            .arg(parser.positionalArguments().constFirst());
        return options;
    }
    if (parser.values(disc).size() > 1 || parser.values(trace).size() > 1) {
        options.action = PlayerOptions::Action::Error;
        options.error = QStringLiteral("--disc and --trace may each be given once");
        return options;
    }
    options.disc = parser.value(disc);
    options.traceGiven = parser.isSet(trace);
    options.trace = parser.value(trace);
    if (options.traceGiven && options.trace.isEmpty()) {
        options.action = PlayerOptions::Action::Error;
        options.error = QStringLiteral("--trace needs a file name (- for standard error)");
    }
    return options;
}

QString PlayerCommandLine::helpText()
{
    return QString::fromUtf8(HelpText);
}

QString PlayerCommandLine::versionText()
{
    QString text = QStringLiteral("ondelplayer " ONDEL_VERSION "\n");
    for (const LibraryVersions::Entry& entry : LibraryVersions::all())
        text += entry.library + QLatin1Char(' ') + entry.version + QLatin1Char('\n');
    return text;
}
