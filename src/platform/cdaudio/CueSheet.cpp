#include "platform/cdaudio/CueSheet.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
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

// Cue sheets made on other systems name files with backslashes or in
// another letter case than the files on disk.
QString resolve(const QString& folder, QString name)
{
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QString direct = QDir(folder).filePath(name);
    if (QFileInfo::exists(direct))
        return direct;
    const QFileInfo wanted(direct);
    const QDir dir = wanted.dir();
    for (const QString& entry : dir.entryList(QDir::Files))
        if (entry.compare(wanted.fileName(), Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    return direct;
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
    if (!text.endsWith('\n'))
        text += '\n';
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
            file.path = resolve(folder, QFile::decodeName(currentName));
            const QByteArray type = types.value(currentName);
            file.raw = type == "BINARY" || type == "MOTOROLA";
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
        if (track_get_index(track, 0) < 0 && track_get_zero_pre(track) > 0)
            entry.silentPregap = track_get_zero_pre(track);
        if (!sheet.tracks.empty() && sheet.tracks.back().file == entry.file &&
            entry.index01 < sheet.tracks.back().index01)
            return fail(QStringLiteral("track %1 starts before track %2 in the same file").arg(t).arg(t - 1));
        sheet.tracks.push_back(entry);
    }
    return sheet;
}
