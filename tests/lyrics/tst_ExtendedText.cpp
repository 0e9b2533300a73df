#include "LyricFeed.h"
#include "lyrics/ExtendedText.h"

#include <QTest>

class tst_ExtendedText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void derivedElement_data()
    {
        QTest::addColumn<QList<QByteArray>>("records");
        QTest::addColumn<QString>("derived");

        QTest::newRow("of an empty list: the initial values") << QList<QByteArray>{} << "''";
        QTest::newRow("copies size and colour, neither the position nor the text")
            << QList<QByteArray>{"[5,3,4][2,20][4,1,2,3]abc"} << "'' size=20 color=02030201";
    }

    void derivedElement()
    {
        QFETCH(QList<QByteArray>, records);
        QFETCH(QString, derived);

        LyricState state;
        state.begin(nullptr, nullptr);
        for (const LyricRecord& record : parseRecords(records)) {
            for (const DwdCommand& command : record.commands)
                QVERIFY(!state.scanCommand(command));
            state.scanText(record.text);
        }
        ExtendedText single;
        single.append(state.pages.back().derivedElement());
        QCOMPARE(describe(single), derived);
        qint32 size;
        QCOMPARE(single.getItem(0)->getSize(size), records.isEmpty() ? false : true);
        QCOMPARE(size, records.isEmpty() ? 8 : 20);
    }

    void listsOwnCopies()
    {
        ExtendedText list;
        list.appendText("ab");
        ExtendedText copy = list;
        list.appendText("cd");
        QCOMPARE(describe(copy), QStringLiteral("'ab'"));
        QCOMPARE(describe(list), QStringLiteral("'abcd'"));

        list.append(list);
        QCOMPARE(describe(list), QStringLiteral("'abcd' | 'abcd'"));
        list.setSingle(*list.getItem(1));
        QCOMPARE(describe(list), QStringLiteral("'abcd'"));
    }

    void outsideTheList_data()
    {
        QTest::addColumn<int>("index");
        QTest::newRow("before the first") << -1;
        QTest::newRow("after the last") << 2;
    }

    void outsideTheList()
    {
        QFETCH(int, index);
        ExtendedText list;
        list.appendText("a");
        list.append(ExtendedCharPlusPos());
        QCOMPARE(list.getItem(index), nullptr);
        QVERIFY(!list.setItem(index, ExtendedCharPlusPos()));
        QCOMPARE(list.count(), 2);
    }

    void attributes()
    {
        ExtendedChar run;
        run.setColor(0x11, 0x22, 0x33, 6);
        quint32 color;
        QVERIFY(run.getColor(color));
        QCOMPARE(color, 0x02332211u);
        run.clearColor();
        QVERIFY(!run.getColor(color));

        run.setFontName(QByteArray(40, 'f'));
        QByteArray name;
        QVERIFY(run.getFontName(name));
        QCOMPARE(name.size(), 31);
    }
};

QTEST_MAIN(tst_ExtendedText)
#include "tst_ExtendedText.moc"
