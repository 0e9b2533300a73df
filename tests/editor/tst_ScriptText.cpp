#include "editor/ScriptText.h"
#include "platform/ShiftJis.h"

#include <QTest>
#include <QTextDocument>

namespace {
QByteArray everyByte(bool backwards = false)
{
    QByteArray bytes;
    for (int b = 0; b < 256; ++b)
        bytes += static_cast<char>(backwards ? 255 - b : b);
    return bytes;
}

// Every lead byte with a trail byte of each kind: valid, invalid, end of file.
QByteArray everyLeadPairing()
{
    QByteArray bytes;
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
        for (int trail : {0x40, 0x7F, 0x9F, 0xFC, 0xFD, 0x0A, 0x0D, 0x00, 0x5B})
            bytes += QByteArray(1, static_cast<char>(lead)) + static_cast<char>(trail) + 'x';
    }
    return bytes + '\x82';
}
} // namespace

class tst_ScriptText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        if (!ShiftJis::available())
            QSKIP("this Qt has no Shift-JIS codec");
    }

    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("every byte value in order") << everyByte();
        QTest::newRow("every byte value backwards") << everyByte(true);
        QTest::newRow("lead bytes before every kind of trail") << everyLeadPairing();
        QTest::newRow("CR LF, lone LF, lone CR, LF CR") << QByteArray("a\r\nb\nc\rd\n\re\r\r\n\n");
        QTest::newRow("zero bytes inside and at the end") << QByteArray("ab\0cd\0\0", 7);
        QTest::newRow("lyrics with commands")
            << QByteArray("[/fontsize(12)]\x82\xa0\x82\xa2\r\n[\x89\xcc]\r\n");
        QTest::newRow("half-width katakana") << QByteArray("\xb6\xd7\xb5\xb9");
        QTest::newRow("duplicate codes of one character")
            << QByteArray("\x81\xe6\x87\x9a\xfa\x5b\xed\x40\xfa\x5c\xee\xf9\x81\xca");
        QTest::newRow("user-defined area") << QByteArray("\xf0\x40\xf9\xfc");
        QTest::newRow("lead byte as the last byte") << QByteArray("abc\x88");
        QTest::newRow("tab and delete") << QByteArray("\t\x7f\t");
    }

    // A file opened and saved unchanged comes back byte for byte, also
    // through the edit control's document.
    void roundTrip()
    {
        QFETCH(QByteArray, bytes);
        const QString shown = ScriptText::toEditText(bytes);
        QCOMPARE(ScriptText::fromEditText(shown).bytes, bytes);
        QVERIFY(ScriptText::fromEditText(shown).ok());
        QTextDocument edit;
        edit.setPlainText(shown);
        QCOMPARE(edit.toPlainText(), shown);
        QCOMPARE(ScriptText::fromEditText(edit.toPlainText()).bytes, bytes);
    }

    // Two bytes at a time: every pair of byte values round trips.
    void everyBytePair()
    {
        QByteArray bytes;
        bytes.reserve(3 * 65536);
        for (int first = 0; first < 256; ++first) {
            for (int second = 0; second < 256; ++second)
                bytes += QByteArray(1, static_cast<char>(first)) + static_cast<char>(second) + ' ';
        }
        QCOMPARE(ScriptText::fromEditText(ScriptText::toEditText(bytes)).bytes, bytes);
    }

    void shown_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("CR LF is a line break") << QByteArray("a\r\nb") << QStringLiteral("a\nb");
        QTest::newRow("lone LF is a visible symbol") << QByteArray("a\nb") << QStringLiteral("a\u240Ab");
        QTest::newRow("lone CR is a visible symbol") << QByteArray("a\rb") << QStringLiteral("a\u240Db");
        QTest::newRow("zero byte is a visible symbol") << QByteArray("a\0b", 3) << QStringLiteral("a\u2400b");
        QTest::newRow("Shift-JIS text is text") << QByteArray("\x89\xcc\x8e\x8c") << QStringLiteral("歌詞");
        QTest::newRow("byte that starts no character")
            << QByteArray("\xa0x\xff") << QStringLiteral("\u28A0x\u28FF");
        QTest::newRow("lead byte before a line break")
            << QByteArray("\x82\r\n") << QStringLiteral("\u2882\n");
        QTest::newRow("other code of a character carries a selector")
            << QByteArray("\x87\x9a") << QStringLiteral("\u2235\uFE00");
    }

    void shown()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(ScriptText::toEditText(bytes), text);
    }

    void written_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qsizetype>("unencodable");
        QTest::newRow("typed line break is CR LF")
            << QStringLiteral("a\nb\n") << QByteArray("a\r\nb\r\n") << qsizetype(-1);
        QTest::newRow("pasted CR LF is one break")
            << QStringLiteral("a\r\nb") << QByteArray("a\r\nb") << qsizetype(-1);
        QTest::newRow("paragraph separator")
            << QStringLiteral("a\u2029b") << QByteArray("a\r\nb") << qsizetype(-1);
        QTest::newRow("usual code of a duplicate")
            << QStringLiteral("\u2235") << QByteArray("\x81\xe6") << qsizetype(-1);
        QTest::newRow("selector left alone is dropped")
            << QStringLiteral("a\uFE00") << QByteArray("a") << qsizetype(-1);
        QTest::newRow("selector with no such code")
            << QStringLiteral("\u3042\uFE00") << QByteArray("\x82\xa0") << qsizetype(-1);
        QTest::newRow("character Shift-JIS lacks")
            << QStringLiteral("ab€c") << QByteArray("abc") << qsizetype(2);
        QTest::newRow("character outside the BMP")
            << QStringLiteral("a😀b") << QByteArray("ab") << qsizetype(1);
    }

    void written()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QFETCH(qsizetype, unencodable);
        const ScriptText::Encoded encoded = ScriptText::fromEditText(text);
        QCOMPARE(encoded.bytes, bytes);
        QCOMPARE(encoded.unencodable, unencodable);
    }

    // Positions map to the bytes they start at, for the live check.
    void byteOffsets()
    {
        const ScriptText::Encoded encoded =
            ScriptText::fromEditText(QStringLiteral("あa\nい😀\u2235\uFE00"), true);
        QCOMPARE(encoded.byteOffsets, (QList<qsizetype>{0, 2, 3, 5, 7, 7, 7, 7, 9}));
    }
};

QTEST_MAIN(tst_ScriptText)
#include "tst_ScriptText.moc"
