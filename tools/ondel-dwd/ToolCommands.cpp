#include "ToolCommands.h"

#include <algorithm>

namespace {

const char* const Introduction = R"(Usage: ondel-dwd COMMAND ARGUMENTS

Lyrics scripts are Shift-JIS text with CR LF line breaks and commands such as
[/fontsize(20)] and [/clear]; each timing key press takes the next piece.
Everything written is UTF-8 unless it is the bytes of a script or a file.

)";

const ToolCommand Commands[] = {
    {"pieces",
     R"(  ondel-dwd pieces SCRIPT
      One line per timing key press, in order:
        piece<TAB>command block in hex<TAB>piece bytes in hex<TAB>more|end
      "end" marks the press that uses up the script (the last line). On a
      syntax error the last line is error<TAB>message (line breaks as \n) and
      the exit status is 1.
)",
     ToolCommands::pieces},
    {"preview",
     R"(  ondel-dwd preview SCRIPT
      The preview text (commands removed, brackets resolved) as the script's
      bytes. On a syntax error: the message on standard error, the text built
      so far on standard output, exit status 1.
)",
     ToolCommands::preview},
    {"compile",
     R"(  ondel-dwd compile SCRIPT TIMES -o OUT
      Writes the DWD file that the compiler window writes for key presses at
      the positions in TIMES (one m:ss:ff per line: minutes, seconds, frames
      within the track, 75 frames a second), ended as by End. Fewer times than
      pieces give the shorter file; times after the end of the script are
      ignored with a warning. OUT is replaced only by a complete new file: on
      a syntax error or a failed write an existing OUT stays as it was (exit
      status 1). While it runs the file is written as OUT's working file
      (song.dwd is written as song.capture.dwd), like the compiler window's.
)",
     ToolCommands::compile},
    {"repair",
     R"(  ondel-dwd repair FILE -o OUT
      Writes to OUT every whole record of FILE, a DWD file cut short anywhere
      (a timing capture killed by a crash or a power cut, a broken copy), with
      the header's size set right. The size FILE's header gives is not looked
      at. Says on standard error how many records were kept and how many bytes
      of a broken last record were dropped.
)",
     ToolCommands::repair},
    {"shift",
     R"(  ondel-dwd shift FILE MS -o OUT
      Moves every piece of FILE by MS milliseconds (negative: earlier, "+" or
      no sign: later), to the nearest frame. Pieces that show no text (only
      commands, spaces or line breaks) that would move before the start of
      the track are put at 0:00:00; a piece with text that would have to is
      refused with its number and time (exit status 1), so the timing of what
      is sung never changes shape.
)",
     ToolCommands::shift},
    {"dump",
     R"(  ondel-dwd dump FILE
      The header, then one line per record: number, absolute time, delta,
      commands with their arguments, text (line breaks shown as ⏎). A file
      the player would refuse is refused with the player's message.
)",
     ToolCommands::dump},
    {"lrc",
     R"(  ondel-dwd lrc FILE [--enhanced]
      The lyrics as LRC: one timed line per script line, timed by its first
      piece; with --enhanced a <mm:ss.xx> stamp before every piece. A piece
      with "clear" or "pausepre" starts a new line; one that shows nothing is
      a timed line with no text. Times are rounded to the nearest hundredth
      of a second.
)",
     ToolCommands::lrc},
    {"import",
     R"(  ondel-dwd import FILE.lrc -o SCRIPT [--dwd OUT] [--track-length M:SS] [--lines-per-page N] [--skip-unencodable]
      Turns an LRC file (UTF-8 or Shift-JIS) into a lyrics script: one line
      per timed LRC line in time order, a [/clear] every N lines of text
      (default 2, 0 for none). With --dwd also the DWD file timed as the LRC:
      a line-timed line is one piece, a word-timed line one piece per word.
      Read are line stamps [mm:ss.xx], [mm:ss:xx], [mm:ss.xxx] and [mm:ss],
      several on a line; word stamps <mm:ss.xx>, or [mm:ss.xx] inside the
      line's text; word stamps a second or more before their own line, taken
      as counted from the line's stamp (with a warning); a timed line with no
      text, which clears the page at its time; tags and [offset:]. A line
      whose first word comes later keeps its own time. Lines without a time
      are left out with a warning; --track-length warns about times past the
      track's end. Characters Shift-JIS cannot hold are listed with their
      lines and nothing is written (exit status 1); with --skip-unencodable
      those lines are left out instead, with a warning for each.
)",
     ToolCommands::import},
    {"render",
     R"(  ondel-dwd render FILE --at M:SS:FF [--redraw-at M:SS:FF]... [--wipe] -o OUT.png
      The picture the lyrics window shows at that time within the track when
      the track plays from its start (a 435 x 300 client area, which the
      file's formsize changes as in the window), drawn by the player's own
      code. Each --redraw-at forces a full redraw at that time, as clicking
      the window does; it changes nothing in the picture. With --wipe pieces
      fill left to right as they are sung, as in the window's wipe mode, and
      the picture shows the fill at the last moment of that frame. A file the
      player would refuse is refused with the player's message.
)",
     ToolCommands::render, true},
    {"onsets",
     R"(  ondel-dwd onsets AUDIO|CUE [--track N] [--method NAME] [--threshold X]
      The note onsets of a track (default 1) of an audio file, a cue sheet or
      a folder of audio files, one a line: M:SS:FF within the track (to the
      nearest frame), a tab, milliseconds. The method is "voice" (the
      default, made for sung music) or one of aubio's: energy, hfc, complex,
      phase, wphase, specdiff, kl, mkl, specflux; the threshold (default 0.5)
      is the detector's: higher finds fewer onsets.
)",
     ToolCommands::onsets},
    {"snap",
     R"(  ondel-dwd snap FILE.dwd (--audio AUDIO | --disc CUE --track N) [--window MS] -o OUT.dwd
      Moves every piece with text to the nearest note onset of the track
      within MS milliseconds (default 80), never before the piece before it
      nor after the piece after it, and writes OUT.dwd; pieces with no onset
      near them, and pieces without text, keep their times. Says how many
      pieces moved. --method and --threshold as for onsets.
)",
     ToolCommands::snap},
};

const char* const Options = R"(  ondel-dwd -h, --help
      Show the commands and exit.

  ondel-dwd -v, --version
      Show the version and exit.

Exit status: 0 success, 1 a failure described on standard error, 2 bad usage.
)";

} // namespace

const ToolCommand* ToolCommands::find(const QString& name)
{
    const auto found =
        std::find_if(std::begin(Commands), std::end(Commands),
                     [&](const ToolCommand& command) { return name == QLatin1String(command.name); });
    return found == std::end(Commands) ? nullptr : found;
}

QString ToolCommands::helpText()
{
    QString text = QString::fromUtf8(Introduction);
    for (const ToolCommand& command : Commands)
        text += QString::fromUtf8(command.usage) + QLatin1Char('\n');
    return text + QString::fromUtf8(Options);
}
