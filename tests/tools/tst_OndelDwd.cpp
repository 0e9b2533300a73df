#include "SmallDisk.h"
#include "lyrics/format/DwdReader.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

namespace {
struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the built tool in dir with its files written from the given contents.
// A run that does not end in time is killed and comes back with exit code -1.
Run runTool(const QTemporaryDir& dir, const QStringList& arguments, int timeoutMs = 30000)
{
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.start(QStringLiteral(ONDEL_TEST_BINARY_DIR "/ondel-dwd"), arguments);
    if (!process.waitForFinished(timeoutMs)) {
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

void writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    QFile file(dir.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readFile(const QTemporaryDir& dir, const QString& name)
{
    QFile file(dir.filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

// Imports lrc (written as in.lrc) into s.txt and s.dwd.
Run importLrc(const QTemporaryDir& dir, const QByteArray& lrc, const QStringList& options)
{
    writeFile(dir, "in.lrc", lrc);
    return runTool(dir, QStringList{"import", "in.lrc", "-o", "s.txt", "--dwd", "s.dwd"} + options);
}

const QByteArray AI = "[/fontsize(20)]\x82\xa0\x82\xa2"; // [/fontsize(20)]あい

// The inputs of every writing command, small (all output stays in the file
// device's 16 KiB buffer until the last flush) or large (far beyond it):
// s.txt and t.txt, the script and its times, in.dwd compiled from them, and
// in.lrc.
void writeInputs(const QTemporaryDir& dir, bool large)
{
    const int pieces = large ? 3000 : 2;
    QByteArray times;
    for (int i = 0; i < pieces; ++i)
        times += QByteArray::number(i / 4500) + ':' + QByteArray::number(i / 75 % 60).rightJustified(2, '0') +
                 ':' + QByteArray::number(i % 75).rightJustified(2, '0') + '\n';
    writeFile(dir, "s.txt", QByteArray(pieces, 'a'));
    writeFile(dir, "t.txt", times);
    QCOMPARE(runTool(dir, {"compile", "s.txt", "t.txt", "-o", "in.dwd"}).exitCode, 0);
    QByteArray lrc;
    for (int line = 0; line < (large ? 2000 : 1); ++line)
        lrc += "[00:01.00]" + QByteArray(12, 'a') + '\n';
    writeFile(dir, "in.lrc", lrc);
}
} // namespace

class tst_OndelDwd : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(QStringLiteral(ONDEL_TEST_BINARY_DIR "/ondel-dwd")), "build ondel-dwd first");
    }

    void pieces_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("command and two characters")
            << AI << QByteArray("piece\t01021400\t82a0\tmore\npiece\t00\t82a2\tend\n") << 0;
        QTest::newRow("line break in a piece")
            << QByteArray("a\r\nb") << QByteArray("piece\t00\t610d0a\tmore\npiece\t00\t62\tend\n") << 0;
        QTest::newRow("syntax error ends the list")
            << QByteArray("a[/formsize(640)]b")
            << QByteArray("piece\t00\t61\tmore\nerror\t文法に誤りがあります。\\n 引数が足りません\n") << 1;
    }

    void pieces()
    {
        QFETCH(QByteArray, script);
        QFETCH(QByteArray, expected);
        QFETCH(int, exitCode);
        QTemporaryDir dir;
        writeFile(dir, "s.txt", script);
        const Run run = runTool(dir, {"pieces", "s.txt"});
        QCOMPARE(run.out, expected);
        QCOMPARE(run.exitCode, exitCode);
    }

    void preview_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<QByteArray>("error");
        QTest::newRow("commands removed") << AI << QByteArray("\x82\xa0\x82\xa2") << QByteArray();
        QTest::newRow("text so far on an error") << QByteArray("ab[/clear") << QByteArray("ab")
                                                 << QByteArray("文法に誤りがあります。\n ] がありません。\n");
        QTest::newRow("empty script") << QByteArray() << QByteArray() << QByteArray();
        QTest::newRow("nothing but commands")
            << QByteArray("[/clear][/pausepre]") << QByteArray() << QByteArray();
        QTest::newRow("error before any text") << QByteArray("[/clear") << QByteArray()
                                               << QByteArray("文法に誤りがあります。\n ] がありません。\n");
    }

    void preview()
    {
        QFETCH(QByteArray, script);
        QFETCH(QByteArray, expected);
        QFETCH(QByteArray, error);
        QTemporaryDir dir;
        writeFile(dir, "s.txt", script);
        const Run run = runTool(dir, {"preview", "s.txt"});
        QCOMPARE(run.out, expected);
        QCOMPARE(run.err, error);
        QCOMPARE(run.exitCode, error.isEmpty() ? 0 : 1);
    }

    void compile_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QByteArray>("times");
        QTest::addColumn<QByteArray>("expected"); // hex, or "(missing)"
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("stderrHas");
        QTest::newRow("the forty-byte file")
            << AI << QByteArray("0:01:00\n0:02:50\n")
            << QByteArray("445744 00000000 28000000 000001000000 01 021400 02000000 82a0 "
                          "000001003200 00 02000000 82a2")
            << 0 << QByteArray();
        QTest::newRow("fewer times give the shorter file")
            << AI << QByteArray("0:01:00\r\n")
            << QByteArray("445744 00000000 1b000000 000001000000 01 021400 02000000 82a0") << 0
            << QByteArray();
        QTest::newRow("no times give the header only")
            << AI << QByteArray() << QByteArray("445744 00000000 0b000000") << 0 << QByteArray();
        QTest::newRow("times after the end are ignored")
            << QByteArray("a") << QByteArray("0:00:10\n0:00:20\n0:00:30\n")
            << QByteArray("445744 00000000 17000000 00000000 0a00 00 01000000 61") << 0
            << QByteArray("2 later time");
        QTest::newRow("position going backwards")
            << QByteArray("ab") << QByteArray("1:10:00\n1:05:00\n")
            << QByteArray("445744 00000000 23000000 01000a000000 00 01000000 61 ffff37000000 00 01000000 62")
            << 0 << QByteArray();
        QTest::newRow("syntax error writes no output")
            << QByteArray("a[/bogus]b") << QByteArray("0:00:10\n0:00:20\n") << QByteArray("(missing)") << 1
            << QByteArray("存在しない命令があります。");
        QTest::newRow("syntax error keeps an existing output")
            << QByteArray("a[/bogus]b") << QByteArray("0:00:10\n0:00:20\n") << QByteArray("(previous)") << 1
            << QByteArray("存在しない命令があります。");
        QTest::newRow("bad times keep an existing output")
            << QByteArray("a") << QByteArray("0:00:99\n") << QByteArray("(previous)") << 1
            << QByteArray("line 1");
        QTest::newRow("a complete file replaces an existing output")
            << QByteArray("a") << QByteArray("0:00:10\n")
            << QByteArray("445744 00000000 17000000 00000000 0a00 00 01000000 61") << 0 << QByteArray();
        QTest::newRow("bad time line") << QByteArray("a") << QByteArray("0:61:00\n")
                                       << QByteArray("(missing)") << 1 << QByteArray("line 1");
    }

    void compile()
    {
        QFETCH(QByteArray, script);
        QFETCH(QByteArray, times);
        QFETCH(QByteArray, expected);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, stderrHas);
        QTemporaryDir dir;
        writeFile(dir, "s.txt", script);
        writeFile(dir, "t.txt", times);
        const QByteArray previous = "an older take";
        const bool keep =
            expected == "(previous)" || QByteArray(QTest::currentDataTag()).contains("replaces");
        if (keep)
            writeFile(dir, "out.dwd", previous);
        const Run run = runTool(dir, {"compile", "s.txt", "t.txt", "-o", "out.dwd"});
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.contains(stderrHas), run.err.constData());
        const QByteArray written = readFile(dir, "out.dwd");
        if (expected == "(previous)")
            QCOMPARE(written, previous);
        else
            QCOMPARE(expected == "(missing)" ? written : written.toHex(),
                     expected == "(missing)" ? expected : QByteArray(expected).replace(' ', ""));
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("*.capture*")}), QStringList());
    }

    void dumpAndLrc_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QByteArray>("times");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("dump of the forty-byte file")
            << AI << QByteArray("0:01:00\n0:02:50\n") << QStringList{"dump"}
            << QByteArray("DWD\treserved 0\tsize 40\n1\t0:01:00\t0:01:00\tfontsize(20)\tあ\n"
                          "2\t0:02:50\t0:01:50\t\tい\n");
        QTest::newRow("dump shows line breaks and negative deltas")
            << QByteArray("[/clear][/backcolor(-1,2,3)]a\r\nb") << QByteArray("1:10:00\n1:05:00\n")
            << QStringList{"dump"}
            << QByteArray("DWD\treserved 0\tsize 45\n1\t1:10:00\t1:10:00\tclear backcolor(-1,2,3)\ta⏎\n"
                          "2\t1:05:00\t-1:55:00\t\tb\n");
        QTest::newRow("lrc times each line by its first piece")
            << QByteArray("ab\r\n[/clear]cd") << QByteArray("0:01:00\n0:02:00\n0:03:15\n0:04:00\n")
            << QStringList{"lrc"} << QByteArray("[00:01.00]ab\n[00:03.20]cd\n");
        QTest::newRow("enhanced lrc stamps every piece")
            << QByteArray("ab\r\n[/clear]cd") << QByteArray("0:01:00\n0:02:00\n0:03:15\n0:04:00\n")
            << QStringList{"lrc", "--enhanced"}
            << QByteArray("[00:01.00]<00:01.00>a<00:02.00>b\n[00:03.20]<00:03.20>c<00:04.00>d\n");
        QTest::newRow("lrc keeps the line that ends with a page command")
            << QByteArray("\x82\xa0\x82\xa2[/clear]\r\n\x82\xa4\x82\xa6")
            << QByteArray("0:01:00\n0:02:00\n0:03:00\n0:04:00\n") << QStringList{"lrc"}
            << QByteArray("[00:01.00]あい\n[00:03.00]うえ\n");
        QTest::newRow("lrc rounds to the nearest hundredth")
            << QByteArray("ab\r\ncd") << QByteArray("0:01:02\n0:02:00\n1:03:74\n1:04:00\n")
            << QStringList{"lrc"} << QByteArray("[00:01.03]ab\n[01:03.99]cd\n");
        QTest::newRow("enhanced lrc leaves a line's indent out of its first word")
            << QByteArray("  ab\r\n  c d") << QByteArray("0:01:00\n0:02:00\n0:03:00\n0:04:00\n")
            << QStringList{"lrc", "--enhanced"}
            << QByteArray("[00:01.00]<00:01.00>a<00:02.00>b\n[00:03.00]<00:03.00>c <00:04.00>d\n");
    }

    void dumpAndLrc()
    {
        QFETCH(QByteArray, script);
        QFETCH(QByteArray, times);
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, expected);
        QTemporaryDir dir;
        writeFile(dir, "s.txt", script);
        writeFile(dir, "t.txt", times);
        QCOMPARE(runTool(dir, {"compile", "s.txt", "t.txt", "-o", "out.dwd"}).exitCode, 0);
        const QString command = arguments.takeFirst();
        const Run run = runTool(dir, QStringList{command, "out.dwd"} + arguments);
        QCOMPARE(run.out, expected);
        QCOMPARE(run.exitCode, 0);
    }

    // LRC files as other lyric tools write them, imported into a script and a DWD.
    void import_data()
    {
        QTest::addColumn<QByteArray>("lrc");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QByteArray>("dump"); // without the header line
        QTest::newRow("line-timed, three stamp forms")
            << QByteArray("[ti:Sakura]\r\n[00:01.00]さくら\r\n[00:02:50]やよい\r\n[00:04]のそら\r\n")
            << QStringList{"--lines-per-page", "0"} << "[さくら]\r\n[やよい]\r\n[のそら]"
            << QByteArray("1\t0:01:00\t0:01:00\t\tさくら⏎\n2\t0:02:38\t0:01:38\t\tやよい⏎\n"
                          "3\t0:04:00\t0:01:37\t\tのそら\n");
        QTest::newRow("several stamps on a line, pages of two lines")
            << QByteArray("[00:10.00][00:30.00]la la\n[00:20.00]hm\n") << QStringList{}
            << "[la la]\r\n[hm]\r\n[/clear][la la]"
            << QByteArray("1\t0:10:00\t0:10:00\t\tla la⏎\n2\t0:20:00\t0:10:00\t\thm⏎\n"
                          "3\t0:30:00\t0:10:00\tclear\tla la\n");
        QTest::newRow("enhanced words with an offset")
            << QByteArray("[offset:+1000]\n[00:02.00]<00:02.00>さ<00:02.40>く<00:03.00>ら<00:04.00>\n")
            << QStringList{} << "さくら"
            << QByteArray("1\t0:01:00\t0:01:00\t\tさ\n2\t0:01:30\t0:00:30\t\tく\n"
                          "3\t0:02:00\t0:00:45\t\tら\n");
    }

    void import()
    {
        QFETCH(QByteArray, lrc);
        QFETCH(QStringList, options);
        QFETCH(QString, script);
        QFETCH(QByteArray, dump);
        QTemporaryDir dir;
        const Run run = importLrc(dir, lrc, options);
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QStringDecoder sjis("Windows-31J");
        QCOMPARE(QString(sjis.decode(readFile(dir, "s.txt"))), script);
        const QByteArray dumped = runTool(dir, {"dump", "s.dwd"}).out;
        QCOMPARE(dumped.mid(dumped.indexOf('\n') + 1), dump);
    }

    // LRC dialects read into a DWD file whose enhanced export gives their
    // word and clear times back (to the hundredth a frame allows).
    void importDialects_data()
    {
        QTest::addColumn<QByteArray>("lrc");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("exported");
        QTest::addColumn<QByteArray>("warning"); // empty: none
        QTest::newRow("word stamps in square brackets")
            << QByteArray("[00:17:97]帰[00:18:37]り[00:18:55]道\n") << QStringList{}
            << QByteArray("[00:17.97]<00:17.97>帰<00:18.37>り<00:18.55>道\n") << QByteArray();
        QTest::newRow("word stamps counted from their line")
            << QByteArray("[00:17.00] <00:00.00>帰<00:01.00>り\n[00:20.00] <00:00.00>道\n") << QStringList{}
            << QByteArray("[00:17.00]<00:17.00>帰<00:18.00>り\n[00:20.00]<00:20.00>道\n")
            << QByteArray("in.lrc line 1: word times before their line's time");
        QTest::newRow("timed lines with no text and a line before its first word")
            << QByteArray("[00:01.00]ab\n[00:03.00]\n[00:05.00]cd\n[00:06.00]<00:07.00>ef\n") << QStringList{}
            << QByteArray("[00:01.00]<00:01.00>ab\n[00:03.00]\n[00:05.00]<00:05.00>cd\n"
                          "[00:06.00]<00:07.00>ef\n")
            << QByteArray();
        QTest::newRow("a credit line left out on request")
            << QByteArray("[00:00.50]作词 : 某人\n[00:02.00]さくら\n") << QStringList{"--skip-unencodable"}
            << QByteArray("[00:02.00]<00:02.00>さくら\n")
            << QByteArray("warning: in.lrc line 1: left out: '词' (U+8BCD) cannot be written in Shift-JIS");
    }

    void importDialects()
    {
        QFETCH(QByteArray, lrc);
        QFETCH(QStringList, options);
        QFETCH(QByteArray, exported);
        QFETCH(QByteArray, warning);
        QTemporaryDir dir;
        const Run run = importLrc(dir, lrc, options);
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QVERIFY2(warning.isEmpty() ? run.err.isEmpty() : run.err.contains(warning), run.err.constData());
        QCOMPARE(runTool(dir, {"lrc", "s.dwd", "--enhanced"}).out, exported);
    }

    // Our own enhanced export read back gives every piece its time again.
    void importOfExportKeepsTimes()
    {
        QTemporaryDir dir;
        writeFile(dir, "s.txt",
                  QByteArray("[/fontsize(20)]  \x82\xa0\x82\xa2[/clear]\r\nab c[/pausepre]\r\n[xy]z"));
        writeFile(dir, "t.txt", "0:01:01\n0:01:02\n0:02:73\n0:03:74\n0:04:00\n1:05:37\n2:00:01\n");
        QCOMPARE(runTool(dir, {"compile", "s.txt", "t.txt", "-o", "a.dwd"}).exitCode, 0);
        const Run lrc = runTool(dir, {"lrc", "a.dwd", "--enhanced"});
        QCOMPARE(lrc.exitCode, 0);
        writeFile(dir, "a.lrc", lrc.out);
        const Run import = runTool(dir, {"import", "a.lrc", "-o", "b.txt", "--dwd", "b.dwd"});
        QVERIFY2(import.exitCode == 0, import.err.constData());
        auto times = [&](const char* name) {
            QStringList column;
            const QList<QByteArray> lines = runTool(dir, {"dump", name}).out.split('\n');
            for (const QByteArray& line : lines.mid(1))
                if (!line.isEmpty())
                    column << QString::fromUtf8(line.split('\t').value(1));
            return column;
        };
        QCOMPARE(times("b.dwd"), times("a.dwd"));
        QCOMPARE(times("a.dwd").size(), 7);
    }

    void importRefusals_data()
    {
        QTest::addColumn<QByteArray>("lrc");
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("characters Shift-JIS cannot hold")
            << QByteArray("[00:01.00]ok\n[00:02.00]love \xE2\x99\xA1\n")
            << QByteArray("in.lrc line 2: '\xE2\x99\xA1' (U+2661) cannot be written in Shift-JIS");
        QTest::newRow("no timed lyrics")
            << QByteArray("[ti:Only tags]\n") << QByteArray("holds no timed lyrics");
    }

    void importRefusals()
    {
        QFETCH(QByteArray, lrc);
        QFETCH(QByteArray, message);
        QTemporaryDir dir;
        writeFile(dir, "in.lrc", lrc);
        writeFile(dir, "s.txt", "the user's script");
        const Run run = runTool(dir, {"import", "in.lrc", "-o", "s.txt", "--dwd", "s.dwd"});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(message), run.err.constData());
        QCOMPARE(readFile(dir, "s.txt"), QByteArray("the user's script"));
        QCOMPARE(readFile(dir, "s.dwd"), QByteArray("(missing)"));
    }

    void refusedFiles_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("unfinished capture")
            << QByteArray::fromHex("44574400000000070000000000000100000000000000")
            << QByteArray("このDWDファイルは壊れています。\n（ファイルサイズの不一致）");
        QTest::newRow("short header") << QByteArray("DWD") << QByteArray("ヘッダを読み込めません。");
        QTest::newRow("wrong signature") << QByteArray::fromHex("445758000000000b000000")
                                         << QByteArray("このDWDファイルは壊れています。\n");
    }

    void refusedFiles()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, message);
        QTemporaryDir dir;
        writeFile(dir, "bad.dwd", file);
        for (const char* command : {"dump", "lrc"}) {
            const Run run = runTool(dir, {command, "bad.dwd"});
            QCOMPARE(run.exitCode, 1);
            QVERIFY2(run.err.contains(message), run.err.constData());
            QCOMPARE(run.out, QByteArray());
        }
    }

    // A file cut at any byte is repaired to the whole records before the cut,
    // with the right size, whatever its header said.
    void repairKeepsEveryWholeRecord()
    {
        QTemporaryDir dir;
        writeFile(dir, "s.txt", "[/fontsize(20)][/backcolor(1,2,3)]\x82\xa0\x82\xa2\r\n[/clear]u");
        writeFile(dir, "t.txt", "0:01:00\n0:02:50\n0:03:00\n");
        QCOMPARE(runTool(dir, {"compile", "s.txt", "t.txt", "-o", "whole.dwd"}).exitCode, 0);
        const QByteArray whole = readFile(dir, "whole.dwd");
        // Where each record ends, found by the player's reader.
        QList<qint64> ends;
        {
            QByteArray copy = whole;
            QBuffer buffer(&copy);
            buffer.open(QIODevice::ReadOnly);
            buffer.seek(11);
            while (DwdReader::readRecord(buffer).complete())
                ends << buffer.pos();
        }
        QCOMPARE(ends.size(), 3);
        for (qint64 cut = 0; cut <= whole.size(); ++cut) {
            // A crash leaves any size in the header; an early one leaves 11.
            QByteArray damaged = whole.left(cut);
            if (cut >= 11)
                damaged.replace(7, 4, QByteArray::fromHex("0b000000"));
            writeFile(dir, "cut.dwd", damaged);
            const Run run = runTool(dir, {"repair", "cut.dwd", "-o", "fixed.dwd"});
            QVERIFY2(run.exitCode == 0, qPrintable(QStringLiteral("cut at %1: %2").arg(cut).arg(run.err)));
            qint64 kept = 11;
            for (const qint64 end : ends)
                if (end <= cut)
                    kept = end;
            const QByteArray fixed = readFile(dir, "fixed.dwd");
            QByteArray expected = whole.left(kept);
            expected.replace(
                7, 4,
                QByteArray::fromHex(QByteArray::number(quint32(kept), 16).rightJustified(2, '0')) +
                    QByteArray(3, '\0'));
            QCOMPARE(fixed.toHex(' '), expected.toHex(' '));
            QBuffer check(const_cast<QByteArray*>(&fixed));
            check.open(QIODevice::ReadOnly);
            QCOMPARE(DwdReader::checkFile(check), DwdReader::FileCheck::Valid);
        }
    }

    void repairRefusesOtherFiles()
    {
        QTemporaryDir dir;
        writeFile(dir, "song.txt", "lyrics");
        const Run run = runTool(dir, {"repair", "song.txt", "-o", "fixed.dwd"});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("not a DWD file"), run.err.constData());
        QCOMPARE(readFile(dir, "fixed.dwd"), QByteArray("(missing)"));
        QCOMPARE(runTool(dir, {"repair", "song.txt"}).exitCode, 2);
    }

    // Every piece moves by the same time; pieces with nothing to show may be
    // pulled to the start of the track, a sung piece never.
    void shift_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QByteArray>("times");
        QTest::addColumn<QString>("ms");
        QTest::addColumn<QByteArray>("expected"); // dump lines after the header, or the error
        QTest::addColumn<int>("exitCode");
        QTest::newRow("later") << QByteArray("ab") << QByteArray("0:01:00\n0:02:50\n") << "+1000"
                               << QByteArray("1\t0:02:00\t0:02:00\t\ta\n2\t0:03:50\t0:01:50\t\tb\n") << 0;
        QTest::newRow("earlier, frames borrow")
            << QByteArray("ab") << QByteArray("0:01:10\n0:02:50\n") << "-200"
            << QByteArray("1\t0:00:70\t0:00:70\t\ta\n2\t0:02:35\t0:01:40\t\tb\n") << 0;
        QTest::newRow("nothing") << QByteArray("ab") << QByteArray("0:01:00\n0:02:50\n") << "0"
                                 << QByteArray("1\t0:01:00\t0:01:00\t\ta\n2\t0:02:50\t0:01:50\t\tb\n") << 0;
        QTest::newRow("to the nearest frame") << QByteArray("a") << QByteArray("0:01:00\n") << "7"
                                              << QByteArray("1\t0:01:01\t0:01:01\t\ta\n") << 0;
        QTest::newRow("a piece with no text is clamped at zero")
            << QByteArray("[/clear][ ]ab") << QByteArray("0:00:10\n0:02:00\n0:03:00\n") << "-1000"
            << QByteArray(
                   "1\t0:00:00\t0:00:00\tclear\t \n2\t0:01:00\t0:01:00\t\ta\n3\t0:02:00\t0:01:00\t\tb\n")
            << 0;
        QTest::newRow("a sung piece is never moved before the start")
            << QByteArray("ab") << QByteArray("0:00:50\n0:02:00\n") << "-1000"
            << QByteArray("piece 1 (a) is at 0:00:50; 1000 ms earlier would be before the start") << 1;
        QTest::newRow("across a minute, backwards positions kept")
            << QByteArray("abc") << QByteArray("0:59:00\n1:10:00\n1:05:00\n") << "+1500"
            << QByteArray("1\t1:00:38\t1:00:38\t\ta\n2\t1:11:38\t0:11:00\t\tb\n3\t1:06:38\t-1:55:00\t\tc\n")
            << 0;
    }
    void shift()
    {
        QFETCH(QByteArray, script);
        QFETCH(QByteArray, times);
        QFETCH(QString, ms);
        QFETCH(QByteArray, expected);
        QFETCH(int, exitCode);
        QTemporaryDir dir;
        writeFile(dir, "s.txt", script);
        writeFile(dir, "t.txt", times);
        QCOMPARE(runTool(dir, {"compile", "s.txt", "t.txt", "-o", "in.dwd"}).exitCode, 0);
        const QByteArray original = readFile(dir, "in.dwd");
        writeFile(dir, "out.dwd", "untouched");
        const Run run = runTool(dir, {"shift", "in.dwd", ms, "-o", "out.dwd"});
        QCOMPARE(run.exitCode, exitCode);
        if (exitCode != 0) {
            QVERIFY2(run.err.contains(expected), run.err.constData());
            QCOMPARE(readFile(dir, "out.dwd"), QByteArray("untouched"));
            return;
        }
        const Run dump = runTool(dir, {"dump", "out.dwd"});
        QCOMPARE(dump.exitCode, 0);
        QCOMPARE(dump.out.mid(dump.out.indexOf('\n') + 1), expected);
        // Only the times change.
        const QByteArray shifted = readFile(dir, "out.dwd");
        QCOMPARE(shifted.size(), original.size());
        QCOMPARE(readFile(dir, "in.dwd"), original);
    }

    // The picture of the lyrics window at a moment; a forced redraw changes nothing.
    void render_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QStringList>("at");
        QTest::addColumn<QSize>("size");
        QTest::newRow("before the first piece")
            << QByteArray("[ab] [cd]") << QStringList{"0:00:10"} << QSize(435, 300);
        QTest::newRow("half sung, redrawn on the way")
            << QByteArray("[ab] [cd]") << QStringList{"0:01:30", "0:00:00", "0:01:00", "0:01:30"}
            << QSize(435, 300);
        QTest::newRow("formsize takes effect")
            << QByteArray("[/formsize(200,100)][/backcolor(0,0,64)][ab] [/clear][cd]")
            << QStringList{"0:03:00", "0:02:10"} << QSize(200, 100);
    }

    void render()
    {
        QFETCH(QByteArray, script);
        QFETCH(QStringList, at);
        QFETCH(QSize, size);
        QTemporaryDir dir;
        writeFile(dir, "s.txt", script);
        writeFile(dir, "s.times", "0:01:00\n0:02:00\n0:03:00\n");
        QCOMPARE(runTool(dir, {"compile", "s.txt", "s.times", "-o", "s.dwd"}).exitCode, 0);

        const Run plain = runTool(dir, {"render", "s.dwd", "--at", at[0], "-o", "plain.png"});
        QCOMPARE(plain.exitCode, 0);
        QCOMPARE(plain.out, QByteArray());
        QCOMPARE(plain.err, QByteArray());
        QStringList redrawn{"render", "s.dwd", "--at", at[0], "-o", "redrawn.png"};
        for (const QString& time : at.mid(1))
            redrawn << "--redraw-at" << time;
        QCOMPARE(runTool(dir, redrawn).exitCode, 0);
        const QImage picture(dir.filePath("plain.png"));
        QCOMPARE(picture.size(), size);
        QCOMPARE(QImage(dir.filePath("redrawn.png")), picture);
    }

    void renderErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("no time") << QStringList{"render", "bad.dwd", "-o", "x.png"} << 2
                                 << QByteArray("render takes");
        QTest::newRow("no output") << QStringList{"render", "bad.dwd", "--at", "0:01:00"} << 2
                                   << QByteArray("render takes");
        QTest::newRow("frames out of range")
            << QStringList{"render", "bad.dwd", "--at", "0:01:75", "-o", "x.png"} << 2
            << QByteArray("0:01:75");
        QTest::newRow("redraw time missing")
            << QStringList{"render", "bad.dwd", "--at", "0:01:00", "-o", "x.png", "--redraw-at"} << 2
            << QByteArray("--redraw-at needs a value");
        QTest::newRow("a file the player refuses")
            << QStringList{"render", "bad.dwd", "--at", "0:01:00", "-o", "x.png"} << 1
            << QByteArray("このDWDファイルは壊れています。");
    }

    void renderErrors()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, message);
        QTemporaryDir dir;
        writeFile(dir, "bad.dwd", QByteArray::fromHex("445758000000000b000000"));
        const Run run = runTool(dir, arguments);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.contains(message), run.err.constData());
        QVERIFY(!QFile::exists(dir.filePath("x.png")));
    }

    void writesOnFullDisk_data()
    {
        QTest::addColumn<QStringList>("arguments"); // OUT stands for the output on the full disk
        QTest::addColumn<bool>("large");
        QTest::addColumn<qint64>("freeBytes");
        const QList<QStringList> commands{{"compile", "s.txt", "t.txt", "-o", "OUT"},
                                          {"repair", "in.dwd", "-o", "OUT"},
                                          {"shift", "in.dwd", "500", "-o", "OUT"},
                                          {"import", "in.lrc", "-o", "OUT"},
                                          {"render", "in.dwd", "--at", "0:01:00", "-o", "OUT"}};
        for (const QStringList& command : commands) {
            const QByteArray name = command.first().toLatin1();
            QTest::addRow("%s, small output, no space", name.constData()) << command << false << qint64(0);
            if (name == "render")
                continue; // its picture is always small
            QTest::addRow("%s, large output, no space", name.constData()) << command << true << qint64(0);
            QTest::addRow("%s, large output, room for a part", name.constData())
                << command << true << qint64(20 * 1024);
        }
    }

    // A writing command on a full disk exits 1 naming the file and leaves
    // the previous output byte for byte, with no temporary beside it.
    void writesOnFullDisk()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, large);
        QFETCH(qint64, freeBytes);
        auto mounted = SmallDisk::mount(256 * 1024);
        if (const QString* why = std::get_if<QString>(&mounted))
            QSKIP(qPrintable(*why));
        SmallDisk& disk = *std::get<std::unique_ptr<SmallDisk>>(mounted);
        QTemporaryDir dir;
        writeInputs(dir, large);
        const QString out = disk.filePath(QStringLiteral("out"));
        QByteArray previous(1000, 'p');
        QFile previousFile(out);
        QVERIFY(previousFile.open(QIODevice::WriteOnly) && previousFile.write(previous) == previous.size());
        previousFile.close();
        QVERIFY(disk.leaveFree(freeBytes));

        arguments.replaceInStrings(QStringLiteral("OUT"), out);
        const Run run = runTool(dir, arguments);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(out.toUtf8()), run.err.constData());
        QFile written(out);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), previous);
        QCOMPARE(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden), (QStringList{"fill", "out"}));
    }

    void refusesWhatIsNoFile_data()
    {
        QTest::addColumn<QStringList>("arguments"); // IN stands for the input
        QTest::addColumn<QString>("input");         // fifo, a path, or "huge" (a file past the limit)
        QTest::addColumn<QByteArray>("message");
        const QByteArray notRegular = "IN is not a regular file";
        const QList<QStringList> commands{{"pieces", "IN"},
                                          {"preview", "IN"},
                                          {"compile", "IN", "t.txt", "-o", "o.dwd"},
                                          {"repair", "IN", "-o", "o.dwd"},
                                          {"shift", "IN", "10", "-o", "o.dwd"},
                                          {"dump", "IN"},
                                          {"lrc", "IN"},
                                          {"import", "IN", "-o", "o.txt"},
                                          {"render", "IN", "--at", "0:01:00", "-o", "o.png"}};
        for (const QStringList& command : commands)
            QTest::addRow("%s, a named pipe", qPrintable(command.first())) << command << "fifo" << notRegular;
        QTest::newRow("compile's times, a named pipe")
            << QStringList{"compile", "s.txt", "IN", "-o", "o.dwd"} << "fifo" << notRegular;
        QTest::newRow("pieces, /dev/zero") << QStringList{"pieces", "IN"} << "/dev/zero" << notRegular;
        QTest::newRow("import, /dev/zero")
            << QStringList{"import", "IN", "-o", "o.txt"} << "/dev/zero" << notRegular;
        QTest::newRow("dump, a folder") << QStringList{"dump", "IN"} << "." << notRegular;
        QTest::newRow("pieces, past the limit")
            << QStringList{"pieces", "IN"} << "huge" << QByteArray("IN is larger than 64 MiB; not read");
    }

    // Inputs that are no regular file are refused at once, with the
    // player's words, and no input is read past its limit; a run that
    // blocks fails here after a few seconds instead of hanging the suite.
    void refusesWhatIsNoFile()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, input);
        QFETCH(QByteArray, message);
        QTemporaryDir dir;
        writeFile(dir, "s.txt", "ab");
        writeFile(dir, "t.txt", "0:01:00\n");
        if (input == QLatin1String("fifo")) {
            input = QStringLiteral("pipe");
            QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath(input)).constData(), 0600), 0);
        }
        else if (input == QLatin1String("huge")) {
            input = QStringLiteral("huge.txt");
            QFile huge(dir.filePath(input));
            QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(64 * 1024 * 1024 + 1));
        }
        arguments.replaceInStrings(QStringLiteral("IN"), input);
        const Run run = runTool(dir, arguments, 5000);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(message.replace("IN", input.toUtf8())), run.err.constData());
        QCOMPARE(QDir(dir.path()).entryList({"o.*"}, QDir::Files), QStringList());
    }

    void usageErrors()
    {
        QTemporaryDir dir;
        QCOMPARE(runTool(dir, {"frobnicate"}).exitCode, 2);
        QCOMPARE(runTool(dir, {"compile", "s.txt"}).exitCode, 2);
        const Run help = runTool(dir, {"--help"});
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.contains("ondel-dwd lrc FILE [--enhanced]"));
    }
};

QTEST_GUILESS_MAIN(tst_OndelDwd)
#include "tst_OndelDwd.moc"
