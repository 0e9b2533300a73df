#include "platform/widgets/QtMessageBoxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWidget>

// Real boxes on screen, answered by real key presses.
class tst_QtMessageBoxes : public QObject {
    Q_OBJECT

    // Answers the box that is about to open with a key, as the user would.
    static void answerWith(Qt::Key key)
    {
        QTimer::singleShot(0, [key] {
            QTRY_VERIFY(QApplication::activeModalWidget());
            QWidget* box = QApplication::activeModalWidget();
            QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, key);
        });
    }

private Q_SLOTS:
    // The keys the user types next go where they went before the box: the
    // timing window must get Space back after "overwrite?", not the player
    // behind it (whose Space would stop the disc and end the take).
    void theWindowThatOpenedTheBoxIsActiveAgain_data()
    {
        QTest::addColumn<int>("opener"); // which of the two windows is active
        QTest::addColumn<int>("key");
        QTest::newRow("the second window, answered OK") << 1 << int(Qt::Key_Return);
        QTest::newRow("the second window, answered Cancel") << 1 << int(Qt::Key_Escape);
        QTest::newRow("the first window") << 0 << int(Qt::Key_Return);
    }
    void theWindowThatOpenedTheBoxIsActiveAgain()
    {
        QFETCH(int, opener);
        QFETCH(int, key);
        QWidget windows[2];
        for (int i = 0; i < 2; ++i) {
            windows[i].setWindowTitle(QStringLiteral("window %1").arg(i));
            windows[i].setGeometry(100 + 300 * i, 100, 250, 150);
            windows[i].show();
            QVERIFY(QTest::qWaitForWindowExposed(&windows[i]));
        }
        QWidget& active = windows[opener];
        active.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&active));

        QtMessageBoxes boxes;
        boxes.owner = [&windows] { return &windows[0]; };
        answerWith(Qt::Key(key));
        const BoxButton answer =
            boxes.show(QStringLiteral("ファイルが存在"), QStringLiteral("上書きしますか？"), BoxIcon::Warning,
                       BoxButtons::OkCancel);
        QCOMPARE(answer, key == Qt::Key_Return ? BoxButton::Ok : BoxButton::Cancel);
        QTRY_COMPARE(QApplication::activeWindow(), &active);
    }

    // A box belongs to the window the user was in: centred on it, and on top
    // of it while it waits. A popup menu is no such window.
    void theBoxBelongsToTheActiveWindow_data()
    {
        QTest::addColumn<int>("active"); // 0 the owner, 1 another window, 2 a popup menu over window 1
        QTest::addColumn<int>("parent");
        QTest::newRow("the owner") << 0 << 0;
        QTest::newRow("a tool window of the program") << 1 << 1;
        QTest::newRow("a popup menu: the window it opened over") << 2 << 1;
    }
    void theBoxBelongsToTheActiveWindow()
    {
        QFETCH(int, active);
        QFETCH(int, parent);
        QWidget windows[2];
        QWidget popup(&windows[1], Qt::Popup);
        for (QWidget* w : {&windows[0], &windows[1]}) {
            w->resize(200, 100);
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w));
        }
        QWidget* shown = active == 2 ? &popup : &windows[active];
        shown->show();
        shown->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(shown));
        QtMessageBoxes boxes;
        boxes.owner = [&windows] { return &windows[0]; };
        QCOMPARE(boxes.parentWindow(), &windows[parent]);
    }
};

QTEST_MAIN(tst_QtMessageBoxes)
#include "tst_QtMessageBoxes.moc"
