#include "lyrics/format/LrcImport.h"

#include "lyrics/format/ShiftJis.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <utility>

namespace {
struct Word {
    qint64 ms = 0;
    QString text;
};

struct Line {
    int number = 0;     // in the file
    qint64 start = 0;   // ms, before the offset
    QList<Word> words;  // absolute ms, before the offset; a word of no text shows nothing
    bool clear = false; // a timed line with no text: the page is cleared then
};

// Word stamps a second or more before their own line are counted from it.
constexpr qint64 RelativeWordsMargin = 1000;

// Characters that Unicode text carries in their JIS form where Windows-31J
// has the look-alike of its own code page (the wave dash and its kin).
QChar windowsForm(QChar c)
{
    switch (c.unicode()) {
    case 0x301C:
        return QChar(0xFF5E); // wave dash -> fullwidth tilde
    case 0x2016:
        return QChar(0x2225); // double vertical line -> parallel to
    case 0x2212:
        return QChar(0xFF0D); // minus sign -> fullwidth hyphen-minus
    case 0x00A2:
        return QChar(0xFFE0); // cent sign
    case 0x00A3:
        return QChar(0xFFE1); // pound sign
    case 0x00AC:
        return QChar(0xFFE2); // not sign
    case 0x2014:
        return QChar(0x2015); // em dash -> horizontal bar
    default:
        return c;
    }
}

QString toWindowsForms(QString text)
{
    for (QChar& c : text)
        c = windowsForm(c);
    return text;
}

// The characters of text that Windows-31J cannot hold, each once.
QStringList unencodable(const QString& text)
{
    static QHash<char32_t, bool> known;
    QStringList missing;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString character = text.mid(i, length);
        const char32_t code = character.toUcs4().value(0);
        auto it = known.find(code);
        if (it == known.end()) {
            QStringEncoder encoder("Windows-31J");
            const QByteArray bytes = encoder.encode(character);
            it = known.insert(code, !encoder.hasError() && !bytes.isEmpty() && bytes != "?");
        }
        if (!*it && !missing.contains(character))
            missing << character;
        i += length - 1;
    }
    return missing;
}

QString describe(const QString& character)
{
    return QStringLiteral("'%1' (U+%2)")
        .arg(character,
             QString::number(character.toUcs4().value(0), 16).toUpper().rightJustified(4, QLatin1Char('0')));
}

// Adds a note unless the same one is already there (repeated lines say it once).
void note(QList<LrcImport::Note>& notes, int line, const QString& text)
{
    for (const LrcImport::Note& n : notes)
        if (n.line == line && n.text == text)
            return;
    notes << LrcImport::Note{line, text};
}

QString formatTime(qint64 ms)
{
    const qint64 hundredths = ms / 10;
    return QStringLiteral("%1:%2.%3")
        .arg(hundredths / 6000)
        .arg(hundredths / 100 % 60, 2, 10, QLatin1Char('0'))
        .arg(hundredths % 100, 2, 10, QLatin1Char('0'));
}

// The script text of one word as pieces: a "]" stands alone, a leading "["
// is written "[[", and the rest up to a "]" is a group (a single character
// needs no brackets). Spaces stay outside the pieces, as entries of their own
// (" "): the compiler joins them to the neighbouring pieces.
QStringList piecesOf(const QString& word)
{
    QStringList pieces;
    qsizetype i = 0;
    while (i < word.size()) {
        if (word[i] == QLatin1Char(' ')) {
            if (!pieces.isEmpty() && pieces.last() != QLatin1String(" "))
                pieces << QStringLiteral(" ");
            ++i;
            continue;
        }
        if (word[i] == QLatin1Char(']')) {
            pieces << QStringLiteral("]");
            ++i;
            continue;
        }
        if (word[i] == QLatin1Char('[')) {
            pieces << QStringLiteral("[[");
            ++i;
            continue;
        }
        qsizetype end = word.indexOf(QLatin1Char(']'), i);
        if (end < 0)
            end = word.size();
        qsizetype last = end;
        while (last > i && word[last - 1] == QLatin1Char(' '))
            --last;
        const QString run = word.mid(i, last - i);
        const bool single = run.size() == 1 || (run.size() == 2 && run[0].isHighSurrogate());
        if (single)
            pieces << run;
        else // "[//x]" is the piece "/x"
            pieces << (run.startsWith(QLatin1Char('/')) ? QStringLiteral("[/") : QStringLiteral("[")) + run +
                          QLatin1Char(']');
        i = last;
        // A "]" right after a group's own "]" is read into the group's piece.
        if (!single && i < word.size() && word[i] == QLatin1Char(']')) {
            pieces.last() += QLatin1Char(']');
            ++i;
        }
    }
    return pieces;
}
} // namespace

QString LrcImport::decode(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = ShiftJis::decode(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

std::optional<qint64> LrcImport::parseStamp(QStringView text)
{
    static const QRegularExpression stamp(
        QStringLiteral("^\\s*(\\d{1,3}):(\\d{1,2})(?:[.:](\\d{1,3}))?\\s*$"));
    const auto m = stamp.match(text.toString());
    if (!m.hasMatch())
        return std::nullopt;
    const qint64 seconds = m.capturedView(2).toLongLong();
    if (seconds > 59)
        return std::nullopt;
    qint64 ms = (m.capturedView(1).toLongLong() * 60 + seconds) * 1000;
    const QStringView fraction = m.capturedView(3);
    if (!fraction.isEmpty()) {
        const qint64 value = fraction.toLongLong();
        ms += fraction.size() == 1 ? value * 100 : fraction.size() == 2 ? value * 10 : value;
    }
    return ms;
}

TrackPosition LrcImport::fromMilliseconds(qint64 ms)
{
    const qint64 frames =
        std::clamp<qint64>((ms * CdFrames::PerSecond + 500) / 1000, 0, qint64(32767) * CdFrames::PerMinute);
    return TrackPosition::fromFrames(int(frames));
}

LrcImport::Result LrcImport::convert(const QByteArray& lrc, const Options& options)
{
    static const QRegularExpression tag(QStringLiteral("^\\s*([A-Za-z#][A-Za-z0-9_#-]*)\\s*:(.*)$"));
    // "<mm:ss.xx>", or "[mm:ss.xx]" in the middle of a line's text.
    static const QRegularExpression wordStamp(
        QStringLiteral("<(\\d{1,3}:\\d{1,2}(?:[.:]\\d{1,3})?)>|\\[(\\d{1,3}:\\d{1,2}(?:[.:]\\d{1,3})?)\\]"));
    Result result;
    qint64 offset = 0;
    bool relativeWords = false;
    QList<Line> lines;

    // LF, CR LF and the lone CR of old Mac files all end a line; a CR left in
    // the text would be a line break in the script.
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    const QStringList rows = decode(lrc).split(lineEnd);
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const int number = int(r + 1);
        const QString& row = rows[r];
        QList<qint64> stamps;
        bool tagged = false;
        qsizetype pos = 0;
        while (pos < row.size() && row[pos].isSpace())
            ++pos;
        while (pos < row.size() && row[pos] == QLatin1Char('[')) {
            const qsizetype close = row.indexOf(QLatin1Char(']'), pos);
            if (close < 0)
                break;
            const QStringView inner = QStringView(row).mid(pos + 1, close - pos - 1);
            if (const auto ms = parseStamp(inner)) {
                stamps << *ms;
            }
            else if (const auto m = tag.match(inner.toString()); m.hasMatch() && stamps.isEmpty()) {
                tagged = true;
                if (m.captured(1).compare(QLatin1String("offset"), Qt::CaseInsensitive) == 0) {
                    bool ok = false;
                    const qint64 value = m.captured(2).trimmed().toLongLong(&ok);
                    if (ok)
                        offset = value;
                    else
                        result.warnings
                            << Note{number, QStringLiteral("the offset is not a number; ignored")};
                }
            }
            else {
                break;
            }
            pos = close + 1;
        }
        const QString text = row.mid(pos).trimmed();
        if (stamps.isEmpty()) {
            if (!tagged && !text.isEmpty())
                result.warnings << Note{number, QStringLiteral("no time stamp; left out")};
            continue;
        }
        if (text.isEmpty()) {
            for (const qint64 stamp : stamps)
                lines << Line{number, stamp, {Word{stamp, QString()}}, true};
            continue;
        }

        // Split at the word stamps; the text before the first belongs to the line's stamp.
        QList<Word> words;
        qint64 wordStart = -1; // -1: the line's stamp
        qsizetype from = 0;
        auto addWord = [&](qsizetype to) {
            const QString part = text.mid(from, to - from);
            if (part.trimmed().isEmpty()) {
                if (!words.isEmpty())
                    words.last().text += part;
                return;
            }
            words << Word{wordStart, part};
        };
        for (auto it = wordStamp.globalMatch(text); it.hasNext();) {
            const auto m = it.next();
            addWord(m.capturedStart());
            wordStart = *parseStamp(m.capturedView(m.capturedView(1).isNull() ? 2 : 1));
            from = m.capturedEnd();
        }
        addWord(text.size());
        if (words.isEmpty())
            continue;
        // Some tools count word stamps from their line's stamp: a first word
        // well before its own line is the sign.
        const auto firstStamped =
            std::find_if(words.cbegin(), words.cend(), [](const Word& word) { return word.ms >= 0; });
        if (firstStamped != words.cend() && firstStamped->ms + RelativeWordsMargin <= stamps.first()) {
            if (!relativeWords)
                result.warnings << Note{
                    number, QStringLiteral("word times before their line's time; read as "
                                           "counted from the line's time, in this and every such line")};
            relativeWords = true;
            for (Word& word : words)
                if (word.ms >= 0)
                    word.ms += stamps.first();
        }
        // Word stamps belong to the line's first stamp; a repeat moves them
        // along. A line whose first word comes later keeps its own time in a
        // piece that shows nothing, so its page may show before the word.
        for (const qint64 stamp : stamps) {
            Line line{number, stamp, {}};
            for (const Word& word : words)
                line.words << Word{word.ms < 0 ? stamp : word.ms + (stamp - stamps.first()), word.text};
            if (line.words.first().ms > stamp)
                line.words.prepend(Word{stamp, QString()});
            lines << line;
        }
    }
    std::stable_sort(lines.begin(), lines.end(),
                     [](const Line& a, const Line& b) { return a.start < b.start; });

    QString script;
    QString lastPiece;
    bool textBefore = false; // the last line written shows text
    int onPage = 0;          // lines of text on the page so far
    for (const Line& line : std::as_const(lines)) {
        QStringList missing;
        for (const Word& word : line.words)
            for (const QString& character : unencodable(toWindowsForms(word.text)))
                if (!missing.contains(character))
                    missing << character;
        if (!missing.isEmpty()) {
            QStringList described;
            for (const QString& character : std::as_const(missing))
                described << describe(character);
            if (options.skipUnencodable) {
                note(
                    result.warnings, line.number,
                    QStringLiteral("left out: %1 cannot be written in Shift-JIS").arg(described.join(u", ")));
            }
            else {
                for (const QString& character : std::as_const(described))
                    note(result.errors, line.number,
                         QStringLiteral("%1 cannot be written in Shift-JIS").arg(character));
            }
            continue;
        }
        if (textBefore)
            script += QLatin1String("\r\n");
        textBefore = !line.clear;
        if (line.clear) {
            script += QLatin1String("[/clear]");
            onPage = 0;
        }
        else if (options.linesPerPage > 0 && onPage++ == options.linesPerPage) {
            script += QLatin1String("[/clear]");
            onPage = 1;
        }
        for (qsizetype w = 0; w < line.words.size(); ++w) {
            const QString word = toWindowsForms(line.words[w].text);
            qint64 ms = line.words[w].ms - offset;
            if (ms < 0) {
                note(result.warnings, line.number,
                     QStringLiteral("a time before the start of the track; taken as 0:00.00"));
                ms = 0;
            }
            const TrackPosition time = fromMilliseconds(ms);
            if (options.trackLength) {
                const TrackPosition& end = *options.trackLength;
                const qint64 endMs =
                    (qint64(end.minutes) * 60 + end.seconds) * 1000 + end.frames * 1000 / CdFrames::PerSecond;
                if (ms > endMs)
                    note(result.warnings, line.number,
                         QStringLiteral("%1 is past the end of the track").arg(formatTime(ms)));
            }
            // Spaces between words are written once, between their pieces;
            // a line neither starts nor ends with one. A word of no text is
            // the empty group.
            QStringList pieces = word.isEmpty() ? QStringList{QStringLiteral("[]")} : piecesOf(word);
            if (word.startsWith(QLatin1Char(' ')) && w > 0)
                pieces.prepend(QStringLiteral(" "));
            if (w + 1 == line.words.size() && pieces.value(pieces.size() - 1) == QLatin1String(" "))
                pieces.removeLast();
            for (const QString& piece : pieces) {
                if (piece == QLatin1String(" ")) {
                    if (!script.endsWith(QLatin1Char(' ')))
                        script += piece;
                    continue;
                }
                // A "]" right after a group would join the group's piece; as
                // the empty group "[]" and its "]" it stays a piece of its own.
                const bool afterGroup =
                    script.endsWith(lastPiece) && lastPiece.startsWith(QLatin1Char('[')) &&
                    lastPiece != QLatin1String("[[") && !lastPiece.endsWith(QLatin1String("]]"));
                if (piece == QLatin1String("]") && afterGroup)
                    script += QLatin1String("[]");
                script += piece;
                lastPiece = piece;
                result.times << time;
                result.lines << line.number;
            }
        }
    }
    if (result.ok())
        result.script = ShiftJis::encode(script);
    return result;
}
