#include "compile/LrcExport.h"

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
} // namespace

class tst_LrcExport : public QObject {
    Q_OBJECT

private Q_SLOTS:
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
        QTest::newRow("blank lines and empty pieces are no lines")
            << QStringList{"a\r\n", "\r\n", "", "b"} << "[00:01.00]a\n[00:04.00]b\n"
            << "[00:01.00]<00:01.00>a\n[00:04.00]<00:04.00>b\n";
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

QTEST_GUILESS_MAIN(tst_LrcExport)
#include "tst_LrcExport.moc"
