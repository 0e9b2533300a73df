#include "platform/cdaudio/CueSheet.h"

#include "lyrics/format/ShiftJis.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <cstdio>
#include <fcntl.h>
#include <libcue.h>
#include <memory>
#include <unistd.h>

namespace {
struct CdDeleter {
    void operator()(Cd* cd) const { cd_delete(cd); }
};

// The type word of every FILE line, by file name (libcue keeps only the name).
QHash<QByteArray, QByteArray> fileTypes(const QByteArray& text)
{
    static const QRegularExpression line(
        QStringLiteral("^\\s*FILE\\s+(?:\"([^\"]*)\"|(\\S+))\\s+(\\S+)\\s*$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::MultilineOption);
    QHash<QByteArray, QByteArray> types;
    const QString decoded = QString::fromLatin1(text);
    for (auto it = line.globalMatch(decoded); it.hasNext();) {
        const auto m = it.next();
        const QString name = m.captured(1).isNull() ? m.captured(2) : m.captured(1);
        types.insert(name.toLatin1(), m.captured(3).toUpper().toLatin1());
    }
    return types;
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

// The audio file types a cue sheet's FILE may stand for when the named file
// is missing: rippers and converters leave the sheet naming the .wav they
// started from beside the .flac they made.
const QStringList& audioSuffixes()
{
    static const QStringList suffixes{QStringLiteral("wav"),  QStringLiteral("flac"), QStringLiteral("ogg"),
                                      QStringLiteral("oga"),  QStringLiteral("opus"), QStringLiteral("aif"),
                                      QStringLiteral("aiff"), QStringLiteral("mp3")};
    return suffixes;
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
QString resolve(const QString& folder, QString name, bool audio)
{
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

// A TITLE or PERFORMER of the sheet (already UTF-8), trimmed; empty when missing.
QString cdText(const Cdtext* text, Pti item)
{
    const char* value = text ? cdtext_get(item, text) : nullptr;
    return value ? QString::fromUtf8(value).trimmed() : QString();
}

void readNames(const Cd& cd, CueSheet& sheet)
{
    const Cdtext* disc = cd_get_cdtext(&cd);
    sheet.names.disc = {cdText(disc, PTI_TITLE), cdText(disc, PTI_PERFORMER)};
    sheet.names.tracks.clear();
    for (int t = 1; t <= int(sheet.tracks.size()); ++t) {
        const ::Track* track = cd_get_track(&cd, t);
        const Cdtext* text = track ? track_get_cdtext(track) : nullptr;
        sheet.names.tracks.push_back({cdText(text, PTI_TITLE), cdText(text, PTI_PERFORMER)});
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
    std::unique_ptr<Cd, CdDeleter> cd(parseQuietly(text));
    if (!cd)
        return fail(QStringLiteral("the cue sheet cannot be read"));
    const int count = cd_get_ntrack(cd.get());
    if (count < 1)
        return fail(QStringLiteral("the cue sheet names no track"));
    if (count > 99)
        return fail(QStringLiteral("the cue sheet names more than 99 tracks"));

    const QHash<QByteArray, QByteArray> types = fileTypes(text);
    CueSheet sheet;
    QByteArray currentName;
    for (int t = 1; t <= count; ++t) {
        const ::Track* track = cd_get_track(cd.get(), t);
        if (!track)
            return fail(QStringLiteral("track %1 of the cue sheet cannot be read").arg(t));
        if (track_get_mode(track) != MODE_AUDIO)
            return fail(QStringLiteral("track %1 is a data track; only audio discs can be played").arg(t));
        const char* name = track_get_filename(track);
        if (!name || !*name)
            return fail(QStringLiteral("track %1 has no FILE").arg(t));
        if (sheet.files.empty() || currentName != name) {
            currentName = name;
            File file;
            const QByteArray type = types.value(currentName);
            file.raw = type == "BINARY" || type == "MOTOROLA";
            file.path = resolve(folder, QString::fromUtf8(currentName), !file.raw);
            file.bigEndian = type == "MOTOROLA";
            sheet.files.push_back(file);
        }
        Track entry;
        entry.file = int(sheet.files.size()) - 1;
        entry.index01 = track_get_index(track, 1);
        if (entry.index01 < 0)
            return fail(QStringLiteral("track %1 has no INDEX 01").arg(t));
        // libcue reports an INDEX 00 gap as a pregap too; only a gap with no
        // INDEX 00 is silence that the files do not hold.
        entry.index00 = track_get_index(track, 0);
        if (entry.index00 < 0 && track_get_zero_pre(track) > 0)
            entry.silentPregap = track_get_zero_pre(track);
        entry.silentPostgap = std::max(0L, track_get_zero_post(track));
        if (!sheet.tracks.empty() && sheet.tracks.back().file == entry.file &&
            entry.index01 < sheet.tracks.back().index01)
            return fail(QStringLiteral("track %1 starts before track %2 in the same file").arg(t).arg(t - 1));
        sheet.tracks.push_back(entry);
    }
    readNames(*cd, sheet);
    return sheet;
}
