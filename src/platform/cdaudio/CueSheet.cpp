#include "platform/cdaudio/CueSheet.h"

#include "core/CdFrames.h"
#include "lyrics/format/ShiftJis.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <libcue.h>
#include <memory>
#include <optional>
#include <unistd.h>
#include <utility>

namespace {
struct CdDeleter {
    void operator()(Cd* cd) const { cd_delete(cd); }
};

// What libcue does not keep of a sheet: which FILE line each track's audio
// is in (two FILE lines may name the same file), the type and name of every
// FILE line, and line numbers to name in a refusal. The text handed to libcue
// has every data track's mode written as one it knows, so that a ripper's
// placeholder for a track it did not rip ("MODEx/2xxx") does not stop it.
struct SheetLines {
    struct File {
        QByteArray name;
        QByteArray type;
    };
    struct Track {
        bool audio = true;
        int line = 0;      // of its TRACK
        int file = -1;     // the FILE line its INDEX 01 (else INDEX 00) is under
        int indexLine = 0; // of its INDEX 01, or 0
    };
    QList<File> files;
    QList<Track> tracks;
    QByteArray forLibcue;
    QString error;
};

// A sheet's line read word by word. Words are split at ASCII blanks and
// keywords match in any letter case, as libcue reads them. Read by hand: a
// pattern engine costs more to load and compile than the player's whole
// start spends on the sheet.
class SheetLine {
public:
    explicit SheetLine(QStringView line) : line_(line) { skipBlanks(); }

    bool atEnd() const { return at_ == line_.size(); }
    qsizetype at() const { return at_; }

    // The next word, and the blanks after it.
    QStringView word()
    {
        const qsizetype start = at_;
        while (at_ < line_.size() && !isBlank(line_[at_]))
            ++at_;
        const QStringView word = line_.mid(start, at_ - start);
        blanksAfterWord_ = skipBlanks();
        return word;
    }
    // Whether the last word had blanks after it.
    bool separated() const { return blanksAfterWord_; }

    // A quoted name: everything up to the next quote.
    std::optional<QStringView> quoted()
    {
        if (atEnd() || line_[at_] != QLatin1Char('"'))
            return std::nullopt;
        const qsizetype close = line_.indexOf(QLatin1Char('"'), at_ + 1);
        if (close < 0)
            return std::nullopt;
        const QStringView name = line_.mid(at_ + 1, close - at_ - 1);
        at_ = close + 1;
        blanksAfterWord_ = skipBlanks();
        return name;
    }

    bool keyword(QLatin1String name)
    {
        const qsizetype start = at_;
        if (word().compare(name, Qt::CaseInsensitive) == 0 && separated())
            return true;
        at_ = start;
        return false;
    }

    static bool isDigits(QStringView word)
    {
        return !word.isEmpty() &&
               std::all_of(word.begin(), word.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    }

private:
    static bool isBlank(QChar c)
    {
        return c == u' ' || c == u'\t' || c == u'\r' || c == u'\v' || c == u'\f' || c == u'\n';
    }
    bool skipBlanks()
    {
        const qsizetype start = at_;
        while (at_ < line_.size() && isBlank(line_[at_]))
            ++at_;
        return at_ > start;
    }

    QStringView line_;
    qsizetype at_ = 0;
    bool blanksAfterWord_ = false;
};

// Whether word is a time of a sheet, MM:SS:FF in digits; onDisc tells
// whether the seconds are below 60 and the frames below 75.
bool readTime(QStringView word, bool* onDisc)
{
    const QList<QStringView> parts = word.split(u':');
    if (parts.size() != 3 || !std::all_of(parts.begin(), parts.end(), SheetLine::isDigits))
        return false;
    *onDisc = parts[1].toInt() < 60 && parts[2].toInt() < CdFrames::PerSecond;
    return true;
}

SheetLines readLines(const QByteArray& text)
{
    SheetLines sheet;
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int number = int(i + 1);
        QByteArray line = lines[i];
        const QString decoded = QString::fromUtf8(line);
        SheetLine words(decoded);
        if (words.keyword(QLatin1String("FILE"))) {
            // FILE "name with blanks" TYPE, or FILE name TYPE.
            const QStringView names = QStringView(decoded).mid(words.at());
            for (const bool quoted : {true, false}) {
                SheetLine rest(names);
                const std::optional<QStringView> name = quoted ? rest.quoted() : std::optional(rest.word());
                if (!name || (!quoted && name->isEmpty()) || !rest.separated())
                    continue;
                const QStringView type = rest.word();
                if (!type.isEmpty() && rest.atEnd()) {
                    sheet.files << SheetLines::File{name->toUtf8(), type.toString().toUpper().toLatin1()};
                    break;
                }
            }
        }
        else if (words.keyword(QLatin1String("TRACK"))) {
            // TRACK nn MODE, anything after the mode kept as it is.
            const QStringView track = words.word();
            const qsizetype modeAt = words.at();
            const QStringView mode = words.word();
            if (SheetLine::isDigits(track) && !mode.isEmpty()) {
                const bool audio = mode.compare(QLatin1String("AUDIO"), Qt::CaseInsensitive) == 0;
                sheet.tracks << SheetLines::Track{audio, number, int(sheet.files.size()) - 1, 0};
                if (!audio && mode.compare(QLatin1String("CDG"), Qt::CaseInsensitive) != 0) {
                    const QStringView after = QStringView(decoded).mid(modeAt + mode.size());
                    line = (QStringView(decoded).left(modeAt).toString() + QStringLiteral("MODE1/2352") +
                            after.toString())
                               .toUtf8();
                }
            }
        }
        else if (words.keyword(QLatin1String("INDEX"))) {
            // INDEX nn MM:SS:FF
            const QStringView which = words.word();
            const bool apart = words.separated();
            const QStringView time = words.word();
            bool onDisc = true;
            if (SheetLine::isDigits(which) && apart && readTime(time, &onDisc) && words.atEnd()) {
                if (!onDisc && sheet.error.isEmpty())
                    sheet.error =
                        QStringLiteral("line %1: INDEX %2 %3 is no time on a disc (seconds run to 59, "
                                       "frames to 74)")
                            .arg(number)
                            .arg(which, time);
                const int index = which.toInt();
                if (!sheet.tracks.isEmpty() &&
                    (index == 1 || (index == 0 && sheet.tracks.last().indexLine == 0))) {
                    sheet.tracks.last().file = int(sheet.files.size()) - 1;
                    if (index == 1)
                        sheet.tracks.last().indexLine = number;
                }
            }
        }
        else {
            // PREGAP MM:SS:FF or POSTGAP MM:SS:FF
            const QStringView gap = words.word();
            const bool apart = words.separated();
            const QStringView time = words.word();
            bool onDisc = true;
            const bool isGap = gap.compare(QLatin1String("PREGAP"), Qt::CaseInsensitive) == 0 ||
                               gap.compare(QLatin1String("POSTGAP"), Qt::CaseInsensitive) == 0;
            if (isGap && apart && readTime(time, &onDisc) && words.atEnd() && !onDisc &&
                sheet.error.isEmpty())
                sheet.error =
                    QStringLiteral("line %1: %2 %3 is no time on a disc (seconds run to 59, frames to 74)")
                        .arg(number)
                        .arg(gap.toString().toUpper(), time);
        }
        sheet.forLibcue += line + '\n';
    }
    return sheet;
}

// libcue writes a line to standard error for every byte it does not like;
// the caller gives one clear reason instead.
Cd* parseQuietly(const QByteArray& text)
{
    std::fflush(stderr);
    const int saved = ::dup(STDERR_FILENO);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved >= 0 && null >= 0)
        ::dup2(null, STDERR_FILENO);
    Cd* cd = cue_parse_string(text.constData());
    std::fflush(stderr);
    if (saved >= 0 && null >= 0)
        ::dup2(saved, STDERR_FILENO);
    if (null >= 0)
        ::close(null);
    if (saved >= 0)
        ::close(saved);
    return cd;
}

// The entry of dir named name in any letter case, or an empty string.
QString findInFolder(const QDir& dir, const QString& name)
{
    if (name.isEmpty())
        return {};
    if (QFileInfo::exists(dir.filePath(name)))
        return dir.filePath(name);
    for (const QString& entry : dir.entryList(QDir::Files))
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    return {};
}

// Cue sheets made on other systems name files with backslashes, in another
// letter case than the files on disk, or by the absolute path they had on the
// machine that ripped them ("C:\Rips\Album\x.wav"); a file found beside
// the sheet under its bare name is that file. An audio file missing under its
// own suffix may be beside the sheet under another one.
} // namespace

QString CueSheet::resolveFile(const QString& folder, const QString& sheetName, bool audio)
{
    QString name = sheetName;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QString direct = QDir(folder).filePath(name);
    const QFileInfo wanted(direct);
    QList<QDir> dirs{wanted.dir()};
    if (wanted.dir() != QDir(folder))
        dirs << QDir(folder);
    for (const QDir& dir : dirs)
        if (const QString found = findInFolder(dir, wanted.fileName()); !found.isEmpty())
            return found;
    if (audio) {
        const QString base = wanted.completeBaseName();
        for (const QDir& dir : dirs)
            for (const QString& suffix : audioSuffixes())
                if (const QString found = findInFolder(dir, base + QLatin1Char('.') + suffix);
                    !found.isEmpty())
                    return found;
    }
    return direct;
}

namespace {
// Sheets are UTF-8 or, from Japanese systems, Windows-31J; a sheet that is
// not valid UTF-8 is taken as the latter and handed on as UTF-8.
QByteArray toUtf8(const QByteArray& text)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8.decode(text);
    if (!utf8.hasError())
        return text;
    return ShiftJis::decode(text).toUtf8();
}

// The value of a TITLE or PERFORMER line: the quoted text, or the rest of
// the line when it is not quoted; trimmed.
QString sheetValue(const QByteArray& rest)
{
    QByteArray value = rest.trimmed();
    if (value.startsWith('"')) {
        const qsizetype close = value.indexOf('"', 1);
        value = value.mid(1, close < 0 ? -1 : close - 1);
    }
    return QString::fromUtf8(value).trimmed();
}

// The sheet's TITLE and PERFORMER lines, read from its (UTF-8) text rather
// than through libcue: its CD-Text getter shares its name with libcdio's, and
// the player links both, so a call by that name may land in the wrong library.
void readNames(const QByteArray& text, CueSheet& sheet)
{
    sheet.names = {};
    sheet.names.tracks.resize(sheet.tracks.size());
    int track = 0; // 0: the disc's lines, before the first TRACK
    for (const QByteArray& raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        const qsizetype space = line.indexOf(' ');
        const QByteArray keyword = (space < 0 ? line : line.left(space)).toUpper();
        if (keyword == "TRACK") {
            ++track;
            continue;
        }
        if (space < 0 || (keyword != "TITLE" && keyword != "PERFORMER"))
            continue;
        DiscNames::Names* names = track == 0 ? &sheet.names.disc
                                  : track <= int(sheet.names.tracks.size())
                                      ? &sheet.names.tracks[size_t(track - 1)]
                                      : nullptr;
        if (!names)
            continue;
        (keyword == "TITLE" ? names->title : names->performer) = sheetValue(line.mid(space + 1));
    }
}
} // namespace

std::optional<CueSheet> CueSheet::parse(const QByteArray& input, const QString& folder, QString* error)
{
    auto fail = [&](const QString& why) -> std::optional<CueSheet> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    QByteArray text = input;
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    if (text.contains('\0'))
        return fail(QStringLiteral("the cue sheet is not text"));
    text = toUtf8(text);
    if (!text.endsWith('\n'))
        text += '\n';
    // The parser stops counting at 99 and folds the rest into track 99, so
    // the sheet's own TRACK lines are counted first.
    qsizetype trackLines = 0;
    for (const QByteArray& line : text.split('\n'))
        if (line.trimmed().toUpper().startsWith("TRACK "))
            ++trackLines;
    if (trackLines > 99)
        return fail(QStringLiteral("the cue sheet names %1 tracks; a disc holds at most 99").arg(trackLines));
    const SheetLines lines = readLines(text);
    if (!lines.error.isEmpty())
        return fail(lines.error);
    std::unique_ptr<Cd, CdDeleter> cd(parseQuietly(lines.forLibcue));
    if (!cd)
        return fail(QStringLiteral("the cue sheet cannot be read"));
    const int count = cd_get_ntrack(cd.get());
    if (count < 1)
        return fail(QStringLiteral("the cue sheet names no track"));
    if (count > 99)
        return fail(QStringLiteral("the cue sheet names more than 99 tracks"));

    // Should libcue have read the tracks otherwise than the lines say, files
    // are told apart by name alone.
    const bool linesAgree = lines.tracks.size() == count;
    auto typeOf = [&](const QByteArray& name) {
        for (qsizetype f = lines.files.size() - 1; f >= 0; --f)
            if (lines.files[f].name == name)
                return lines.files[f].type;
        return QByteArray();
    };
    CueSheet sheet;
    QByteArray currentName;
    int currentLine = -1;
    for (int t = 1; t <= count; ++t) {
        const ::Track* track = cd_get_track(cd.get(), t);
        if (!track)
            return fail(QStringLiteral("track %1 of the cue sheet cannot be read").arg(t));
        const char* name = track_get_filename(track);
        if (!name || !*name)
            return fail(QStringLiteral("track %1 has no FILE").arg(t));
        const int fileLine = linesAgree ? lines.tracks[t - 1].file : -1;
        // A FILE line naming the file again with the track's place further
        // on in it, rather than from its start, goes on in the same file.
        const long firstIndex =
            track_get_index(track, 0) >= 0 ? track_get_index(track, 0) : track_get_index(track, 1);
        const bool goesOn = currentName == name && !sheet.tracks.empty() && firstIndex > 0 &&
                            firstIndex >= sheet.tracks.back().index01;
        const bool sameFile =
            !sheet.files.empty() && (linesAgree ? fileLine == currentLine || goesOn : currentName == name);
        if (track_get_mode(track) != MODE_AUDIO) {
            // Data after the audio is the second session of an Enhanced CD:
            // the audio ends where the data begins (in the sheet, its entry
            // sits at the end of the last audio file). Before audio it is a
            // disc this player cannot play.
            bool dataToTheEnd = t > 1;
            for (int u = t + 1; u <= count && dataToTheEnd; ++u)
                dataToTheEnd =
                    cd_get_track(cd.get(), u) && track_get_mode(cd_get_track(cd.get(), u)) != MODE_AUDIO;
            if (!dataToTheEnd)
                return fail(
                    QStringLiteral("track %1 is a data track; only audio discs can be played").arg(t));
            if (sameFile && firstIndex >= 0)
                sheet.audioEnd = firstIndex;
            sheet.notes << dataTracksNote(t);
            break;
        }
        currentLine = fileLine;
        if (!sameFile) {
            currentName = name;
            File file;
            const QByteArray type =
                linesAgree && fileLine >= 0 ? lines.files[fileLine].type : typeOf(currentName);
            file.raw = type == "BINARY" || type == "MOTOROLA";
            file.path = resolveFile(folder, QString::fromUtf8(currentName), !file.raw);
            file.bigEndian = type == "MOTOROLA";
            sheet.files.push_back(file);
        }
        Track entry;
        entry.file = int(sheet.files.size()) - 1;
        entry.index00 = track_get_index(track, 0);
        entry.index01 = track_get_index(track, 1);
        if (entry.index01 < 0 && entry.index00 >= 0) {
            // Some sheets mark every track by INDEX 00 alone: that is where it starts.
            entry.index01 = std::exchange(entry.index00, -1);
            sheet.notes
                << QStringLiteral("track %1 has INDEX 00 but no INDEX 01; it starts at its INDEX 00").arg(t);
        }
        if (entry.index01 < 0)
            return fail(QStringLiteral("track %1 has no INDEX 01").arg(t));
        // libcue reports an INDEX 00 gap as a pregap too; only a gap with no
        // INDEX 00 is silence that the files do not hold.
        if (entry.index00 < 0 && track_get_index(track, 0) < 0 && track_get_zero_pre(track) > 0)
            entry.silentPregap = track_get_zero_pre(track);
        entry.silentPostgap = std::max(0L, track_get_zero_post(track));
        if (!sheet.tracks.empty() && sheet.tracks.back().file == entry.file &&
            entry.index01 < sheet.tracks.back().index01) {
            const QString where = linesAgree && lines.tracks[t - 1].indexLine > 0
                                      ? QStringLiteral("line %1: ").arg(lines.tracks[t - 1].indexLine)
                                      : QString();
            return fail(where +
                        QStringLiteral("track %1 starts before track %2 in the same file").arg(t).arg(t - 1));
        }
        sheet.tracks.push_back(entry);
    }
    readNames(text, sheet);
    return sheet;
}

QString CueSheet::dataTracksNote(int dataTrack)
{
    return QStringLiteral("track %1 is data (an Enhanced CD's second session): the disc is its %2 audio "
                          "tracks before it")
        .arg(dataTrack)
        .arg(dataTrack - 1);
}

// The audio file types a sheet's FILE may stand for when the named file is
// missing: rippers and converters leave the sheet naming the .wav they
// started from beside the .flac they made.
const QStringList& CueSheet::audioSuffixes()
{
    static const QStringList suffixes{QStringLiteral("wav"),  QStringLiteral("flac"), QStringLiteral("ogg"),
                                      QStringLiteral("oga"),  QStringLiteral("opus"), QStringLiteral("aif"),
                                      QStringLiteral("aiff"), QStringLiteral("mp3")};
    return suffixes;
}
