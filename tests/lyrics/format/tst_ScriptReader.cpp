#include "lyrics/format/AnsiStringSupport.h"
#include "lyrics/format/ChangeableSizeData.h"
#include "lyrics/format/ScriptReader.h"

#include <QTest>

namespace {
// Every key press over the whole script, one "block|text|more-or-end" entry
// each (hex), then "error:<message>" when a press fails.
QStringList allPieces(const QByteArray& script, qint32* lineBreaks = nullptr)
{
    QStringList out;
    qsizetype position = 0;
    qint32 breaks = 0;
    for (int guard = 0; guard <= script.size() + 1; ++guard) {
        const ScriptReader::Piece piece = ScriptReader::takePiece(script, position, breaks);
        if (!piece.ok()) {
            out << QStringLiteral("error:") + piece.error;
            break;
        }
        out << QString::fromLatin1(piece.commands.view().toByteArray().toHex() + '|' + piece.text.toHex() +
                                   '|' + (piece.endOfScript ? "end" : "more"));
        if (piece.endOfScript) {
            break;
        }
        position = piece.position;
    }
    if (lineBreaks) {
        *lineBreaks = breaks;
    }
    return out;
}

QByteArray manyCommands(int count)
{
    QByteArray script;
    for (int i = 0; i < count; ++i) {
        script += "[/clear]";
    }
    return script + "a";
}
} // namespace

class tst_ScriptReader : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pieces_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("lineBreaks");

        QTest::newRow("fontsize before a double-byte piece")
            << QByteArray("[/fontsize(12)]\x82\xa0") << QStringList{"01020c00|82a0|end"} << 0;
        QTest::newRow("two commands before one piece") << QByteArray("[/backcolor(255,0,0)][/clear]x")
                                                       << QStringList{"02 01 ff00 0000 0000 06|78|end"} << 0;
        QTest::newRow("group is one piece")
            << QByteArray("[\x89\xcc\x8e\x8c]") << QStringList{"00|89cc8e8c|end"} << 0;
        QTest::newRow("double bracket is a bracket")
            << QByteArray("[[x") << QStringList{"00|5b|more", "00|78|end"} << 0;
        QTest::newRow("double bracket at the end") << QByteArray("[[") << QStringList{"00|5b|end"} << 0;
        QTest::newRow("slash group keeps its slash")
            << QByteArray("[//ab]c") << QStringList{"00|2f6162|more", "00|63|end"} << 0;
        QTest::newRow("line break attached to the piece before it")
            << QByteArray("\x82\xa0\x82\xa2\r\n\x82\xa4")
            << QStringList{"00|82a0|more", "00|82a20d0a|more", "00|82a4|end"} << 1;
        QTest::newRow("leading line breaks are counted")
            << QByteArray("\r\n\r\na") << QStringList{"00|0d0a0d0a61|end"} << 2;
        QTest::newRow("whitespace after a command is dropped")
            << QByteArray("[/clear]\r\n  \x82\xa0") << QStringList{"0106|82a0|end"} << 0;
        QTest::newRow("spaces around a piece are attached")
            << QByteArray("  a b") << QStringList{"00|20206120|more", "00|62|end"} << 0;
        QTest::newRow("lone LF is a piece of its own")
            << QByteArray("a\nb") << QStringList{"00|61|more", "00|0a|more", "00|62|end"} << 0;
        QTest::newRow("command as the last thing gives an empty piece")
            << QByteArray("a[/clear]") << QStringList{"00|61|more", "0106||end"} << 0;
        QTest::newRow("script ending in a line break needs one more press")
            << QByteArray("\x82\xa0\r\n") << QStringList{"00|82a00d0a|more", "00||end"} << 1;
        QTest::newRow("empty script") << QByteArray() << QStringList{"00||end"} << 0;
        QTest::newRow("arguments in hex and with signs")
            << QByteArray("[/setcursor($10,-0x20)][/fontsize(x1F)][/fontsize(+7)]a")
            << QStringList{"03 05 1000 e0ff 02 1f00 02 0700|61|end"} << 0;
        QTest::newRow("65536 and -1 keep their low 16 bits")
            << QByteArray("[/formsize(65536,-1)]a") << QStringList{"01000000ffff|61|end"} << 0;
        QTest::newRow("32-bit extremes")
            << QByteArray("[/formsize(-2147483648,$FFFFFFFF)]a") << QStringList{"01000000ffff|61|end"} << 0;
        QTest::newRow("spaces and line breaks inside a command")
            << QByteArray("[/ font size( 1 2 )][/formsize(640,\r\n480)]a")
            << QStringList{"02 02 0c00 00 8002 e001|61|end"} << 0;
        QTest::newRow("argument of a command without arguments is ignored")
            << QByteArray("[/clear(5)]a") << QStringList{"0106|61|end"} << 0;
        QTest::newRow("bracket after a group is literal")
            << QByteArray("[a]]b]") << QStringList{"00|615d|more", "00|62|more", "00|5d|end"} << 0;
        QTest::newRow("lone bracket at the end is a piece")
            << QByteArray("a[") << QStringList{"00|61|more", "00|5b|end"} << 0;
        QTest::newRow("trail byte equal to a bracket stays in the group")
            << QByteArray("[\x83\x5d]") << QStringList{"00|835d|end"} << 0;
        QTest::newRow("127 commands before one piece")
            << manyCommands(127) << QStringList{"7f" + QString("06").repeated(127) + "|61|end"} << 0;

        const auto error = [](const QString& message) { return QStringLiteral("error:") + message; };
        QTest::newRow("fontsize without argument")
            << QByteArray("[/fontsize]a") << QStringList{error(ScriptReader::notIntegerMessage())} << 0;
        QTest::newRow("formsize with empty arguments")
            << QByteArray("[/formsize(,)]a") << QStringList{error(ScriptReader::notIntegerMessage())} << 0;
        QTest::newRow("formsize with one argument")
            << QByteArray("[/formsize(640)]a") << QStringList{error(ScriptReader::missingArgumentMessage())}
            << 0;
        QTest::newRow("backcolor with two arguments")
            << QByteArray("[/backcolor(1,2)]a") << QStringList{error(ScriptReader::missingArgumentMessage())}
            << 0;
        QTest::newRow("bad first argument is found before the missing comma")
            << QByteArray("[/backcolor(x,1)]a") << QStringList{error(ScriptReader::notIntegerMessage())} << 0;
        QTest::newRow("value beyond 32 bits") << QByteArray("[/fontsize(2147483648)]a")
                                              << QStringList{error(ScriptReader::notIntegerMessage())} << 0;
        QTest::newRow("hex beyond 32 bits") << QByteArray("[/fontsize($100000000)]a")
                                            << QStringList{error(ScriptReader::notIntegerMessage())} << 0;
        QTest::newRow("tab in an argument")
            << QByteArray("[/fontsize(\t1)]a") << QStringList{error(ScriptReader::notIntegerMessage())} << 0;
        QTest::newRow("command names are case-sensitive")
            << QByteArray("[/FontSize(12)]a") << QStringList{error(ScriptReader::unknownCommandMessage())}
            << 0;
        QTest::newRow("empty command name")
            << QByteArray("[/]a") << QStringList{error(ScriptReader::unknownCommandMessage())} << 0;
        QTest::newRow("command without closing bracket")
            << QByteArray("[/clear") << QStringList{error(ScriptReader::missingBracketMessage())} << 0;
        QTest::newRow("parenthesis without its pair")
            << QByteArray("[/clear(5]a") << QStringList{error(ScriptReader::missingParenthesisMessage())}
            << 0;
        QTest::newRow("group without closing bracket")
            << QByteArray("[abc") << QStringList{error(ScriptReader::missingBracketMessage())} << 0;
        QTest::newRow("error found only when reached")
            << QByteArray("a[/bogus]b")
            << QStringList{"00|61|more", error(ScriptReader::unknownCommandMessage())} << 0;
        QTest::newRow("128 commands before one piece")
            << manyCommands(128) << QStringList{error(ScriptReader::tooManyCommandsMessage())} << 0;
    }

    void pieces()
    {
        QFETCH(QByteArray, script);
        QFETCH(QStringList, expected);
        QFETCH(int, lineBreaks);
        for (QString& entry : expected) {
            if (!entry.startsWith(QLatin1String("error:"))) {
                entry.remove(QLatin1Char(' '));
            }
        }
        qint32 breaks = 0;
        QCOMPARE(allPieces(script, &breaks), expected);
        QCOMPARE(breaks, lineBreaks);
    }

    void preview_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<bool>("fails");

        QTest::newRow("commands removed")
            << QByteArray("[/fontsize(12)]\x82\xa0") << QByteArray("\x82\xa0") << false;
        QTest::newRow("whitespace after a command dropped")
            << QByteArray("a[/clear]\r\n  b\r\nc") << QByteArray("ab\r\nc") << false;
        QTest::newRow("brackets resolved") << QByteArray("[[x[ab]") << QByteArray("[xab") << false;
        QTest::newRow("slash group is dropped unlike the pieces")
            << QByteArray("[//ab]c") << QByteArray("c") << false;
        QTest::newRow("bracket as the last byte fails unlike the pieces")
            << QByteArray("a[") << QByteArray("a") << true;
        QTest::newRow("command without closing bracket") << QByteArray("x[/clear") << QByteArray("x") << true;
        QTest::newRow("trail byte equal to a bracket")
            << QByteArray("x[\x83\x5d]") << QByteArray("x\x83\x5d") << false;
        QTest::newRow("bracket after a group kept") << QByteArray("[a]]b]") << QByteArray("a]b]") << false;
    }

    void preview()
    {
        QFETCH(QByteArray, script);
        QFETCH(QByteArray, expected);
        QFETCH(bool, fails);
        const ScriptReader::Preview preview = ScriptReader::buildPreviewText(script);
        QCOMPARE(preview.text, expected);
        QCOMPARE(preview.error, fails ? ScriptReader::missingBracketMessage() : QString());
    }

    void cutTokenKeepsDoubleBytePairs()
    {
        AnsiStringSupport text;
        text.set("\x83]a]b");
        QCOMPARE(text.cutToken(']'), QByteArray("\x83]a]"));
        QCOMPARE(text.rest(), QByteArray("b"));
        QCOMPARE(text.consumed(), 4);
        QCOMPARE(text.cutToken(']'), QByteArray());
        QCOMPARE(text.rest(), QByteArray("b"));
        QCOMPARE(text.consumed(), 4);
    }

    void bufferHoldsExactlyItsBytes()
    {
        ChangeableSizeData block;
        block.append("ab", 0);
        QCOMPARE(block.size(), 0);
        QVERIFY(block.data() == nullptr);
        block.appendByte(1);
        block.append("\x02\x03", 2);
        block.setAt(3, 9);
        block.setAt(-1, 9);
        block.setAt(0, 7);
        ChangeableSizeData copy = block;
        QCOMPARE(copy.view(), QByteArrayView("\x07\x02\x03"));
    }
};

QTEST_GUILESS_MAIN(tst_ScriptReader)
#include "tst_ScriptReader.moc"
