#include "compile/HeldKeys.h"

#include <QTest>

// Events as a window system reports them: 'p' press, 'r' release, with the
// time in ms and whether it is marked as a repeat.
struct KeyEventStep {
    char kind;
    int key;
    quint64 time;
    bool autoRepeat;
};
Q_DECLARE_METATYPE(QList<KeyEventStep>)

class tst_HeldKeys : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // One physical press is one new press, however its repeats are reported.
    void countsPhysicalPresses_data()
    {
        QTest::addColumn<QList<KeyEventStep>>("events");
        QTest::addColumn<int>("presses");
        const int space = Qt::Key_Space;
        const int enter = Qt::Key_Return;
        QTest::newRow("tap") << QList<KeyEventStep>{{'p', space, 100, false}, {'r', space, 180, false}} << 1;
        QTest::newRow("marked repeats")
            << QList<KeyEventStep>{{'p', space, 100, false}, {'r', space, 600, true},
                                   {'p', space, 600, true},  {'r', space, 640, true},
                                   {'p', space, 640, true},  {'r', space, 700, false}}
            << 1;
        // X11's auto-repeat: release and press pairs with one time, not marked.
        QTest::newRow("unmarked X11 repeats")
            << QList<KeyEventStep>{{'p', space, 100, false}, {'r', space, 600, false},
                                   {'p', space, 600, false}, {'r', space, 640, false},
                                   {'p', space, 641, false}, {'r', space, 700, false}}
            << 1;
        QTest::newRow("presses without releases") << QList<KeyEventStep>{{'p', enter, 100, false},
                                                                         {'p', enter, 600, false},
                                                                         {'p', enter, 640, false}}
                                                  << 1;
        QTest::newRow("two quick taps") << QList<KeyEventStep>{{'p', space, 100, false},
                                                               {'r', space, 160, false},
                                                               {'p', space, 220, false},
                                                               {'r', space, 280, false}}
                                        << 2;
        QTest::newRow("taps made by a program, without times") << QList<KeyEventStep>{{'p', space, 0, false},
                                                                                      {'r', space, 0, false},
                                                                                      {'p', space, 0, false},
                                                                                      {'r', space, 0, false}}
                                                               << 2;
        QTest::newRow("the other key at the release's moment")
            << QList<KeyEventStep>{{'p', space, 100, false},
                                   {'r', space, 300, false},
                                   {'p', enter, 300, false}}
            << 2;
        QTest::newRow("Space held while Enter taps") << QList<KeyEventStep>{{'p', space, 100, false},
                                                                            {'p', enter, 200, false},
                                                                            {'r', enter, 260, false},
                                                                            {'p', space, 600, false},
                                                                            {'p', enter, 700, false}}
                                                     << 3;
    }
    void countsPhysicalPresses()
    {
        QFETCH(QList<KeyEventStep>, events);
        QFETCH(int, presses);
        HeldKeys keys;
        int counted = 0;
        for (const KeyEventStep& step : events) {
            if (step.kind == 'p')
                counted += keys.press(step.key, step.time, step.autoRepeat) ? 1 : 0;
            else
                keys.release(step.key, step.time, step.autoRepeat);
        }
        QCOMPARE(counted, presses);
    }
};

QTEST_GUILESS_MAIN(tst_HeldKeys)
#include "tst_HeldKeys.moc"
