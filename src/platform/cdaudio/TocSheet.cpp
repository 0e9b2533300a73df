#include "platform/cdaudio/TocSheet.h"

#include "core/CdFrames.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <utility>

namespace {
struct Token {
    QString text;
    int line = 0;
};

// Words, quoted strings (their quotes kept) and braces; "//" comments left out.
QList<Token> tokensOf(const QString& text)
{
    static const QRegularExpression token(
        QStringLiteral("//[^\\n]*|\"(?:[^\"\\\\\\n]|\\\\.)*\"|[{}]|[^\\s{}\"]+|\\n"));
    QList<Token> tokens;
    int line = 1;
    for (auto it = token.globalMatch(text); it.hasNext();) {
        const QString t = it.next().captured();
        if (t == QLatin1String("\n"))
            ++line;
        else if (!t.startsWith(QLatin1String("//")))
            tokens << Token{t, line};
    }
    return tokens;
}

// A position or length: "m:ss:ff" or a number of samples.
std::optional<qint64> framesOf(const QString& text)
{
    static const QRegularExpression msf(QStringLiteral("^(\\d{1,3}):(\\d{1,2}):(\\d{1,2})$"));
    static const QRegularExpression samples(QStringLiteral("^\\d{1,12}$"));
    if (const auto m = msf.match(text); m.hasMatch()) {
        const int seconds = m.capturedView(2).toInt();
        const int frames = m.capturedView(3).toInt();
        if (seconds > 59 || frames >= CdFrames::PerSecond)
            return std::nullopt;
        return (m.capturedView(1).toLongLong() * 60 + seconds) * CdFrames::PerSecond + frames;
    }
    if (samples.match(text).hasMatch())
        return text.toLongLong() / CdFrames::SamplesPerFrame;
    return std::nullopt;
}

bool isAudioName(const QString& name)
{
    return CueSheet::audioSuffixes().contains(QFileInfo(name).suffix(), Qt::CaseInsensitive);
}

struct Stretch {
    QString file; // empty: silence
    qint64 start = 0;
    qint64 length = -1; // -1: to the end of the file
    int line = 0;
};

struct TocTrack {
    bool audio = true;
    bool swap = false;
    int line = 0;
    qint64 start = -1; // START: frames into the track; -1: none
    QList<Stretch> stretches;
};
} // namespace

TocSheet::Reading TocSheet::parse(const QByteArray& input, const QString& folder)
{
    auto fail = [](int line, const QString& why) {
        return Reading{std::nullopt, QStringLiteral("line %1: %2").arg(line).arg(why)};
    };
    const QList<Token> tokens = tokensOf(QString::fromUtf8(input));
    QList<TocTrack> tracks;
    qsizetype i = 0;
    auto next = [&]() -> const Token* { return i < tokens.size() ? &tokens[i++] : nullptr; };
    auto peekFrames = [&]() -> std::optional<qint64> {
        return i < tokens.size() ? framesOf(tokens[i].text) : std::nullopt;
    };
    auto unquoted = [](const QString& s) {
        return s.size() >= 2 && s.startsWith(QLatin1Char('"')) ? s.mid(1, s.size() - 2) : QString();
    };
    while (const Token* token = next()) {
        const QString word = token->text.toUpper();
        auto needFrames = [&]() -> std::optional<qint64> {
            const std::optional<qint64> frames = peekFrames();
            if (frames)
                ++i;
            return frames;
        };
        if (word == QLatin1String("{")) {
            // The inside of a CD_TEXT block: titles and languages, not the layout.
            for (int depth = 1; depth > 0 && i < tokens.size(); ++i)
                depth += tokens[i].text == QLatin1String("{")   ? 1
                         : tokens[i].text == QLatin1String("}") ? -1
                                                                : 0;
        }
        else if (word == QLatin1String("TRACK")) {
            const Token* mode = next();
            if (!mode)
                return fail(token->line, QStringLiteral("TRACK without its mode"));
            tracks << TocTrack{mode->text.toUpper() == QLatin1String("AUDIO"), false, token->line, -1, {}};
            if (i < tokens.size() && tokens[i].text.toUpper().startsWith(QLatin1String("RW")))
                ++i;
        }
        else if (tracks.isEmpty()) {
            // The disc's type, CATALOG and CD_TEXT come before the first track.
            if (word == QLatin1String("CATALOG"))
                ++i;
        }
        else if (word == QLatin1String("SWAP")) {
            tracks.last().swap = true;
        }
        else if (word == QLatin1String("ISRC") || word == QLatin1String("NO")) {
            ++i;
        }
        else if (word == QLatin1String("SILENCE") || word == QLatin1String("ZERO") ||
                 word == QLatin1String("PREGAP")) {
            // ZERO may name a data mode and a sub-channel mode before its length.
            while (word == QLatin1String("ZERO") && i < tokens.size() && !framesOf(tokens[i].text))
                ++i;
            const std::optional<qint64> length = needFrames();
            if (!length)
                return fail(token->line, QStringLiteral("%1 without a length").arg(word));
            tracks.last().stretches << Stretch{QString(), 0, *length, token->line};
            if (word == QLatin1String("PREGAP"))
                tracks.last().start = *length;
        }
        else if (word == QLatin1String("FILE") || word == QLatin1String("AUDIOFILE") ||
                 word == QLatin1String("DATAFILE")) {
            const Token* name = next();
            if (!name || unquoted(name->text).isEmpty())
                return fail(token->line, QStringLiteral("%1 without a file name").arg(word));
            if (i < tokens.size() && tokens[i].text.startsWith(QLatin1Char('#'))) {
                if (tracks.last().audio)
                    return fail(token->line, QStringLiteral("audio at a byte offset (#) is not read"));
                ++i;
            }
            Stretch stretch{unquoted(name->text), 0, -1, token->line};
            if (word != QLatin1String("DATAFILE")) {
                const std::optional<qint64> start = needFrames();
                if (!start)
                    return fail(token->line, QStringLiteral("%1 without a start").arg(word));
                stretch.start = *start;
            }
            stretch.length = needFrames().value_or(-1);
            tracks.last().stretches << stretch;
        }
        else if (word == QLatin1String("START")) {
            qint64 before = 0;
            for (const Stretch& s : std::as_const(tracks.last().stretches))
                before += std::max<qint64>(0, s.length);
            tracks.last().start = needFrames().value_or(before);
        }
        else if (word == QLatin1String("INDEX")) {
            ++i;
        }
        // COPY, PRE_EMPHASIS, TWO_CHANNEL_AUDIO and the like change nothing heard.
    }
    if (tracks.isEmpty())
        return fail(1, QStringLiteral("the TOC file names no track"));
    if (tracks.size() > 99)
        return fail(tracks[99].line, QStringLiteral("a disc holds at most 99 tracks"));

    CueSheet sheet;
    qint64 fileEnd = -1; // where the last stretch ends in its file; -1: unknown
    for (qsizetype t = 0; t < tracks.size(); ++t) {
        const TocTrack& track = tracks[t];
        const int number = int(t + 1);
        if (!track.audio) {
            bool dataToTheEnd = t > 0;
            for (qsizetype u = t + 1; u < tracks.size() && dataToTheEnd; ++u)
                dataToTheEnd = !tracks[u].audio;
            if (!dataToTheEnd)
                return fail(
                    track.line,
                    QStringLiteral("track %1 is a data track; only audio discs can be played").arg(number));
            if (sheet.files.back().raw)
                sheet.audioEnd = fileEnd;
            sheet.notes << CueSheet::dataTracksNote(number);
            break;
        }
        CueSheet::Track entry;
        qint64 silenceBefore = 0;
        const Stretch* audio = nullptr;
        for (const Stretch& s : track.stretches) {
            if (s.file.isEmpty() && !audio)
                silenceBefore += s.length;
            else if (s.file.isEmpty())
                entry.silentPostgap += s.length;
            else if (!audio)
                audio = &s;
            else
                return fail(s.line,
                            QStringLiteral("track %1 is made of more than one stretch of audio; such TOC "
                                           "files are not read")
                                .arg(number));
        }
        if (!audio)
            return fail(track.line, QStringLiteral("track %1 holds no audio file").arg(number));
        const bool raw = !isAudioName(audio->file);
        const QString path = CueSheet::resolveFile(folder, audio->file, !raw);
        const bool continues = !sheet.files.empty() && sheet.files.back().path == path &&
                               (fileEnd < 0 || audio->start == fileEnd);
        if (!continues) {
            if (audio->start != 0)
                return fail(audio->line,
                            QStringLiteral("track %1 starts %2 frames into %3, not where the track "
                                           "before ends; such TOC files are not read")
                                .arg(number)
                                .arg(audio->start)
                                .arg(audio->file));
            CueSheet::File file;
            file.path = path;
            file.raw = raw;
            file.bigEndian = file.raw && !track.swap;
            sheet.files.push_back(file);
        }
        entry.file = int(sheet.files.size()) - 1;
        // START counts from the track's beginning, silence before its file included.
        const qint64 intoFile =
            std::max<qint64>(0, (track.start < 0 ? silenceBefore : track.start) - silenceBefore);
        entry.silentPregap = silenceBefore;
        entry.index01 = audio->start + intoFile;
        entry.index00 = intoFile > 0 ? audio->start : -1;
        fileEnd = audio->length >= 0 ? audio->start + audio->length : -1;
        sheet.tracks.push_back(entry);
    }
    return Reading{sheet, QString()};
}
