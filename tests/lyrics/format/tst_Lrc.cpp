#include "lyrics/format/LrcExport.h"
#include "lyrics/format/LrcImport.h"
#include "lyrics/format/ScriptReader.h"
#include "lyrics/format/ShiftJis.h"

#include <QTest>

Q_DECLARE_METATYPE(TrackPosition)

namespace {
TrackPosition at(int minutes, int seconds, int frames)
{
    return TrackPosition{qint16(minutes), qint16(seconds), qint16(frames)};
}

// Pieces one second apart from 0:01, text decoded; a leading "|" marks a
// piece that starts a page.
QList<LrcExport::Piece> pieces(const QStringList& texts)
{
    QList<LrcExport::Piece> list;
    int second = 1;
    for (QString text : texts) {
        const bool page = text.startsWith(QLatin1Char('|'));
        if (page)
            text.remove(0, 1);
        list << LrcExport::Piece{at(second / 60, second % 60, 0), page, text};
        ++second;
    }
    return list;
}

QString show(const TrackPosition& p)
{
    return QStringLiteral("%1:%2:%3")
        .arg(p.minutes)
        .arg(p.seconds, 2, 10, QLatin1Char('0'))
        .arg(p.frames, 2, 10, QLatin1Char('0'));
}

QStringList shown(const QList<TrackPosition>& times)
{
    QStringList list;
    for (const TrackPosition& t : times)
        list << show(t);
    return list;
}

// The pieces the compiler takes from the script, decoded.
QStringList piecesOf(const QByteArray& script, bool* endsAtLast)
{
    QStringList pieces;
    qsizetype position = 0;
    qint32 lineBreaks = 0;
    *endsAtLast = false;
    for (int guard = 0; guard < 1000; ++guard) {
        const ScriptReader::Piece piece = ScriptReader::takePiece(script, position, lineBreaks);
        if (!piece.ok())
            return pieces << QStringLiteral("error: ") + piece.error;
        pieces << ShiftJis::decode(piece.text);
        if (piece.endOfScript) {
            *endsAtLast = true;
            return pieces;
        }
        position = piece.position;
    }
    return pieces;
}

QString listed(const QList<LrcImport::Note>& list)
{
    QStringList lines;
    for (const LrcImport::Note& n : list)
        lines << QStringLiteral("%1: %2").arg(n.line).arg(n.text);
    return lines.join(QLatin1Char('\n'));
}
} // namespace

// LRC files in the forms lyric tools write, turned into scripts whose pieces
// are timed as the LRC says; and a DWD file's pieces written out as LRC.
class tst_Lrc : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void convert_data()
    {
        QTest::addColumn<QByteArray>("lrc");
        QTest::addColumn<int>("linesPerPage");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("pieces"); // as the compiler takes them
        QTest::addColumn<QStringList>("times");

        QTest::newRow("hundredths, one piece a line")
            << QByteArray("[00:12.00]さくら さくら\n[00:15.50]やよいの空は\n") << 0
            << "[さくら さくら]\r\n[やよいの空は]" << QStringList{"さくら さくら\r\n", "やよいの空は"}
            << QStringList{"0:12:00", "0:15:38"};
        QTest::newRow("colon before the hundredths, CR LF and a BOM")
            << QByteArray("\xEF\xBB\xBF[01:02:40]ab\r\n[01:03:00]cd\r\n") << 0 << "[ab]\r\n[cd]"
            << QStringList{"ab\r\n", "cd"} << QStringList{"1:02:30", "1:03:00"};
        QTest::newRow("lone CRs end lines")
            << QByteArray("[00:01.00]ab\r[00:02.00]c\rd\r") << 0 << "[ab]\r\nc" << QStringList{"ab\r\n", "c"}
            << QStringList{"0:01:00", "0:02:00"};
        QTest::newRow("whole seconds and milliseconds")
            << QByteArray("[00:05]ab\n[00:06.013]cd\n[0:07.5]ef\n") << 0 << "[ab]\r\n[cd]\r\n[ef]"
            << QStringList{"ab\r\n", "cd\r\n", "ef"} << QStringList{"0:05:00", "0:06:01", "0:07:38"};
        QTest::newRow("several stamps sing a line again, in time order")
            << QByteArray("[00:10.00][01:10.00]chorus\n[00:20.00]verse\n") << 0
            << "[chorus]\r\n[verse]\r\n[chorus]" << QStringList{"chorus\r\n", "verse\r\n", "chorus"}
            << QStringList{"0:10:00", "0:20:00", "1:10:00"};
        QTest::newRow("a page every two lines")
            << QByteArray("[00:01.00]a1\n[00:02.00]b2\n[00:03.00]c3\n[00:04.00]d4\n[00:05.00]e5\n") << 2
            << "[a1]\r\n[b2]\r\n[/clear][c3]\r\n[d4]\r\n[/clear][e5]"
            << QStringList{"a1\r\n", "b2\r\n", "c3\r\n", "d4\r\n", "e5"}
            << QStringList{"0:01:00", "0:02:00", "0:03:00", "0:04:00", "0:05:00"};
        QTest::newRow("word stamps, one piece a word")
            << QByteArray("[00:01.00]<00:01.00>さ<00:01.50>く<00:02.00>ら\n") << 0 << "さくら"
            << QStringList{"さ", "く", "ら"} << QStringList{"0:01:00", "0:01:38", "0:02:00"};
        QTest::newRow("words with spaces and a closing stamp")
            << QByteArray("[00:01.00]<00:01.00>Hello <00:01.80>big world<00:03.00>\n") << 0
            << "[Hello] [big world]" << QStringList{"Hello ", "big world"}
            << QStringList{"0:01:00", "0:01:60"};
        QTest::newRow("text before the first word stamp takes the line's time")
            << QByteArray("[00:04.00]ab <00:05.00>cd\n") << 0 << "[ab] [cd]" << QStringList{"ab ", "cd"}
            << QStringList{"0:04:00", "0:05:00"};
        QTest::newRow("a repeated enhanced line moves its words along")
            << QByteArray("[00:10.00][00:40.00]<00:10.00>x<00:11.00>y\n") << 0 << "xy\r\nxy"
            << QStringList{"x", "y\r\n", "x", "y"} << QStringList{"0:10:00", "0:11:00", "0:40:00", "0:41:00"};
        QTest::newRow("tags are no lyrics; an offset moves every time earlier")
            << QByteArray("[ti:Song]\n[ar:Someone]\n[offset:+500]\n[length: 03:20]\n[00:10.00]ab\n") << 0
            << "[ab]" << QStringList{"ab"} << QStringList{"0:09:38"};
        QTest::newRow("a negative offset moves them later")
            << QByteArray("[offset:-1000]\n[00:10.00]ab\n") << 0 << "[ab]" << QStringList{"ab"}
            << QStringList{"0:11:00"};
        QTest::newRow("brackets and slashes in the text stay text")
            << QByteArray("[00:01.00][x]y\n[00:02.00]a]b\n[00:03.00]/ab\n") << 0 << "[[x]y\r\na]b\r\n[//ab]"
            << QStringList{"[", "x", "]", "y\r\n", "a", "]", "b\r\n", "/ab"}
            << QStringList{"0:01:00", "0:01:00", "0:01:00", "0:01:00",
                           "0:02:00", "0:02:00", "0:02:00", "0:03:00"};
        QTest::newRow("a Shift-JIS file") << QByteArray("[00:01.00]\x82\xb3\x82\xad\x82\xe7\r\n") << 0
                                          << "[さくら]" << QStringList{"さくら"} << QStringList{"0:01:00"};
        QTest::newRow("the wave dash is written as Shift-JIS has it")
            << QByteArray("[00:01.00]あ\xE3\x80\x9C\n") << 0 << "[あ～]" << QStringList{"あ～"}
            << QStringList{"0:01:00"};
        QTest::newRow("a timed line with no text clears the page; untimed text is left out")
            << QByteArray("[00:01.00]ab\n[00:02.00]\nno time\n\n[00:03.00]cd") << 0
            << "[ab]\r\n[/clear][][cd]" << QStringList{"ab\r\n", "", "cd"}
            << QStringList{"0:01:00", "0:02:00", "0:03:00"};
        QTest::newRow("a clear starts the count of lines on a page again")
            << QByteArray(
                   "[00:01.00]a1\n[00:02.00]b2\n[00:03.00]\n[00:04.00]c3\n[00:05.00]d4\n[00:06.00]e5\n")
            << 2 << "[a1]\r\n[b2]\r\n[/clear][][c3]\r\n[d4]\r\n[/clear][e5]"
            << QStringList{"a1\r\n", "b2\r\n", "", "c3\r\n", "d4\r\n", "e5"}
            << QStringList{"0:01:00", "0:02:00", "0:03:00", "0:04:00", "0:05:00", "0:06:00"};
        QTest::newRow("word stamps in square brackets inside the line")
            << QByteArray("[00:17:97]帰[00:18:37]り[00:18:55]道\n") << 0 << "帰り道"
            << QStringList{"帰", "り", "道"} << QStringList{"0:17:73", "0:18:28", "0:18:41"};
        QTest::newRow("word stamps counted from their line")
            << QByteArray("[00:17.00] <00:00.00>帰<00:01.00>り\n") << 0 << "帰り" << QStringList{"帰", "り"}
            << QStringList{"0:17:00", "0:18:00"};
        QTest::newRow("a word a little before its line is not counted from it")
            << QByteArray("[00:17.00]<00:16.50>x<00:17.50>y\n") << 0 << "xy" << QStringList{"x", "y"}
            << QStringList{"0:16:38", "0:17:38"};
        QTest::newRow("a line's stamp before its first word is kept")
            << QByteArray("[00:01.00]ab\n[00:04.00]<00:05.00>cd\n[00:06.00]<00:07.00>ef\n") << 2
            << "[ab]\r\n[][cd]\r\n[/clear][][ef]" << QStringList{"ab\r\n", "", "cd\r\n", "", "ef"}
            << QStringList{"0:01:00", "0:04:00", "0:05:00", "0:06:00", "0:07:00"};
        QTest::newRow("a bracket that is no stamp starts the text")
            << QByteArray("[00:01.00][chorus] la\n") << 0 << "[[[chorus]] [la]"
            << QStringList{"[", "chorus] ", "la"} << QStringList{"0:01:00", "0:01:00", "0:01:00"};
        QTest::newRow("a word that is a closing bracket after a group")
            << QByteArray("[00:01.00]<00:01.00>ab<00:02.00>]<00:03.00>]\n") << 0 << "[ab][]]]"
            << QStringList{"ab", "]", "]"} << QStringList{"0:01:00", "0:02:00", "0:03:00"};
        QTest::newRow("closing brackets after a word")
            << QByteArray("[00:01.00]ab]] c]\n") << 0 << "[ab]]] c]" << QStringList{"ab]", "] ", "c", "]"}
            << QStringList{"0:01:00", "0:01:00", "0:01:00", "0:01:00"};
    }

    void convert()
    {
        QFETCH(QByteArray, lrc);
        QFETCH(int, linesPerPage);
        QFETCH(QString, script);
        QFETCH(QStringList, pieces);
        QFETCH(QStringList, times);
        LrcImport::Options options;
        options.linesPerPage = linesPerPage;
        const LrcImport::Result result = LrcImport::convert(lrc, options);
        QVERIFY2(result.ok(), qPrintable(listed(result.errors)));
        QCOMPARE(ShiftJis::decode(result.script), script);
        QCOMPARE(shown(result.times), times);
        QCOMPARE(result.lines.size(), result.times.size());
        // The compiler takes exactly one piece per time, the last ending the script.
        bool endsAtLast = false;
        const QStringList taken = piecesOf(result.script, &endsAtLast);
        QCOMPARE(taken, pieces);
        QVERIFY(endsAtLast);
    }

    void notes_data()
    {
        QTest::addColumn<QByteArray>("lrc");
        QTest::addColumn<QString>("trackLength");
        QTest::addColumn<bool>("skipUnencodable");
        QTest::addColumn<QString>("errors");
        QTest::addColumn<QString>("warnings");

        QTest::newRow("characters Shift-JIS cannot hold, each line once")
            << QByteArray("[00:01.00]ok\n[00:02.00]love ♡ ♡\n[00:03.00]\xF0\x9F\x8E\xA4 mic\n") << QString()
            << false
            << "2: '♡' (U+2661) cannot be written in Shift-JIS\n"
               "3: '\xF0\x9F\x8E\xA4' (U+1F3A4) cannot be written in Shift-JIS"
            << QString();
        QTest::newRow("untimed lines are named")
            << QByteArray("[ti:x]\nfirst\n[00:01.00]ab\n[xx]\n") << QString() << false << QString()
            << "2: no time stamp; left out\n4: no time stamp; left out";
        QTest::newRow("times past the track's end")
            << QByteArray("[00:59.00]a\n[01:00.50]b\n[02:00.00]<02:00.00>c<02:01.00>d\n") << "1:00" << false
            << QString()
            << "2: 1:00.50 is past the end of the track\n3: 2:00.00 is past the end of the track\n"
               "3: 2:01.00 is past the end of the track";
        QTest::newRow("an offset before the start")
            << QByteArray("[offset:2000]\n[00:01.00]a\n[offset:x]\n") << QString() << false << QString()
            << "3: the offset is not a number; ignored\n"
               "2: a time before the start of the track; taken as 0:00.00";
        QTest::newRow("a credit line Shift-JIS cannot hold, left out on request")
            << QByteArray("[00:01.00]作词 : 某人\n[00:02.00]さくら ♡\n[00:03.00]さくら\n") << QString()
            << true << QString()
            << "1: left out: '词' (U+8BCD) cannot be written in Shift-JIS\n"
               "2: left out: '♡' (U+2661) cannot be written in Shift-JIS";
        QTest::newRow("word times counted from their lines, said once")
            << QByteArray("[00:17.00]<00:00.00>a\n[00:20.00]<00:00.00>b\n") << QString() << false << QString()
            << "1: word times before their line's time; read as counted from the line's time, in this and "
               "every such line";
    }

    void notes()
    {
        QFETCH(QByteArray, lrc);
        QFETCH(QString, trackLength);
        QFETCH(bool, skipUnencodable);
        QFETCH(QString, errors);
        QFETCH(QString, warnings);
        LrcImport::Options options;
        options.skipUnencodable = skipUnencodable;
        if (!trackLength.isEmpty())
            options.trackLength = TrackPosition{qint16(trackLength.section(':', 0, 0).toInt()),
                                                qint16(trackLength.section(':', 1, 1).toInt()), 0};
        const LrcImport::Result result = LrcImport::convert(lrc, options);
        QCOMPARE(listed(result.errors), errors);
        QCOMPARE(listed(result.warnings), warnings);
        QCOMPARE(result.script.isEmpty(), !errors.isEmpty());
    }

    void stamps_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("ms"); // -1: not a stamp
        QTest::newRow("hundredths") << "01:02.34" << qint64(62340);
        QTest::newRow("tenths") << "01:02.3" << qint64(62300);
        QTest::newRow("milliseconds") << "01:02.345" << qint64(62345);
        QTest::newRow("colon form") << "01:02:34" << qint64(62340);
        QTest::newRow("no fraction") << "1:02" << qint64(62000);
        QTest::newRow("minutes past 99") << "100:00.00" << qint64(6000000);
        QTest::newRow("seconds past 59") << "01:60.00" << qint64(-1);
        QTest::newRow("a tag") << "ar:Someone" << qint64(-1);
        QTest::newRow("four fraction digits") << "01:02.3456" << qint64(-1);
        QTest::newRow("empty") << "" << qint64(-1);
    }

    void stamps()
    {
        QFETCH(QString, text);
        QFETCH(qint64, ms);
        QCOMPARE(LrcImport::parseStamp(text).value_or(-1), ms);
    }

    // Every frame survives LRC's hundredths on the way out and back.
    void framesSurviveHundredths()
    {
        for (int frame = 0; frame < 75 * 3; ++frame) {
            const qint64 hundredths = (qint64(frame) * 4 + 1) / 3;
            const TrackPosition back = LrcImport::fromMilliseconds(hundredths * 10);
            QCOMPARE((back.minutes * 60 + back.seconds) * 75 + back.frames, frame);
        }
    }

    // Export.
    void stamp_data()
    {
        QTest::addColumn<TrackPosition>("time");
        QTest::addColumn<QString>("expected");
        QTest::newRow("start of the track") << at(0, 0, 0) << "00:00.00";
        QTest::newRow("one frame rounds down") << at(0, 0, 1) << "00:00.01";
        QTest::newRow("two frames round up") << at(0, 0, 2) << "00:00.03";
        QTest::newRow("the last frame of a second") << at(0, 59, 74) << "00:59.99";
        QTest::newRow("minutes past 99") << at(123, 4, 15) << "123:04.20";
        QTest::newRow("a time before the start") << at(-1, 55, 0) << "00:00.00";
    }

    void stamp()
    {
        QFETCH(TrackPosition, time);
        QFETCH(QString, expected);
        QCOMPARE(LrcExport::stamp(time), expected);
    }

    void lines_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("enhanced");
        QTest::newRow("line breaks end lines")
            << QStringList{"a", "b\r\n", "c"} << "[00:01.00]ab\n[00:03.00]c\n"
            << "[00:01.00]<00:01.00>a<00:02.00>b\n[00:03.00]<00:03.00>c\n";
        QTest::newRow("a page starts a line")
            << QStringList{"あ", "い", "|う", "え"} << "[00:01.00]あい\n[00:03.00]うえ\n"
            << "[00:01.00]<00:01.00>あ<00:02.00>い\n[00:03.00]<00:03.00>う<00:04.00>え\n";
        QTest::newRow("a page after a line break gives no empty line")
            << QStringList{"a\r\n", "|b"} << "[00:01.00]a\n[00:02.00]b\n"
            << "[00:01.00]<00:01.00>a\n[00:02.00]<00:02.00>b\n";
        QTest::newRow("the indent of a line is left out")
            << QStringList{"  a", "b\r\n  ", "c"} << "[00:01.00]ab\n[00:03.00]c\n"
            << "[00:01.00]<00:01.00>a<00:02.00>b\n[00:03.00]<00:03.00>c\n";
        QTest::newRow("spaces between words stay before the stamp")
            << QStringList{"a ", " b", "c  "} << "[00:01.00]a  bc\n"
            << "[00:01.00]<00:01.00>a  <00:02.00>b<00:03.00>c\n";
        QTest::newRow("blank lines are no lines; an empty piece before a word times the line")
            << QStringList{"a\r\n", "\r\n", "", "b"} << "[00:01.00]a\n[00:03.00]b\n"
            << "[00:01.00]<00:01.00>a\n[00:03.00]<00:04.00>b\n";
        QTest::newRow("an empty piece starting a page is a line with no text")
            << QStringList{"a\r\n", "|", "b", "|c"} << "[00:01.00]a\n[00:02.00]\n[00:03.00]b\n[00:04.00]c\n"
            << "[00:01.00]<00:01.00>a\n[00:02.00]\n[00:03.00]<00:03.00>b\n[00:04.00]<00:04.00>c\n";
        QTest::newRow("a group across a line break stamps both halves")
            << QStringList{"ab\r\ncd"} << "[00:01.00]ab\n[00:01.00]cd\n"
            << "[00:01.00]<00:01.00>ab\n[00:01.00]<00:01.00>cd\n";
        QTest::newRow("a full-width space is an indent too") << QStringList{"\u3000あ"} << "[00:01.00]あ\n"
                                                             << "[00:01.00]<00:01.00>あ\n";
    }

    void lines()
    {
        QFETCH(QStringList, texts);
        QFETCH(QString, plain);
        QFETCH(QString, enhanced);
        QCOMPARE(LrcExport::lines(pieces(texts), false), plain);
        QCOMPARE(LrcExport::lines(pieces(texts), true), enhanced);
    }
};

QTEST_GUILESS_MAIN(tst_Lrc)
#include "tst_Lrc.moc"
