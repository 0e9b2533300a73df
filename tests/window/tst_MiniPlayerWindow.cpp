#include "controls/DigitalDisplay.h"
#include "window/MiniPlayerWindow.h"
#include "window/PlayerPopupMenu.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

namespace {
// The strip at a known place with its menu, as the main window creates it.
struct Strip {
    Strip()
    {
        mini.move(300, 200);
        mini.show();
        QVERIFY(QTest::qWaitForWindowExposed(&mini));
    }
    QWidget* at(const QString& name) { return name.isEmpty() ? &mini : mini.findChild<QWidget*>(name); }

    QWidget owner;
    PlayerPopupMenu menu;
    MiniPlayerWindow mini{menu, &owner};
};

// One pointer event at a screen position, delivered to the control under it.
void pointer(QWidget* target, QEvent::Type type, QPoint global, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent event(type, target->mapFromGlobal(QPointF(global)),
                      target->window()->mapFromGlobal(QPointF(global)), QPointF(global), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// Closes the next popup menu as soon as it opens; notes that it opened.
struct MenuCloser {
    MenuCloser()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (QWidget* popup = QApplication::activePopupWidget()) {
                opened = true;
                popup->close();
                timer.stop();
            }
        });
        timer.start(0);
    }
    QTimer timer;
    bool opened = false;
};
} // namespace

class tst_MiniPlayerWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void layout_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        // Within the strip, which sits at (30, 13) of the window.
        const struct {
            const char* name;
            QRect rect;
        } table[] = {
            {"DigitalDisplay1", {4, 4, 10, 18}},
            {"DigitalDisplay2", {17, 4, 10, 18}},
            {"DigitalDisplay3", {39, 4, 10, 18}},
            {"DigitalDisplay4", {52, 4, 10, 18}},
            {"DigitalDisplay5", {71, 4, 10, 18}},
            {"DigitalDisplay6", {84, 4, 10, 18}},
            {"Shape1", {65, 8, 3, 3}},
            {"Shape2", {65, 16, 3, 3}},
            {"Shape3", {0, 0, 99, 1}},
            {"Shape4", {0, 0, 1, 26}},
            {"Shape5", {0, 25, 99, 1}},
            {"Shape6", {98, 0, 1, 25}},
        };
        for (const auto& row : table)
            QTest::newRow(row.name) << QString::fromLatin1(row.name) << row.rect;
    }

    void layout()
    {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        Strip s;
        QCOMPARE(s.at(name)->geometry(), geometry.translated(MiniPlayerWindow::DrawnArea.topLeft()));
        QVERIFY(MiniPlayerWindow::DrawnArea.contains(s.at(name)->geometry()));
        QCOMPARE(s.mini.frameGeometry().size(), QSize(160, 53));
        QCOMPARE(s.mini.mask(), QRegion(MiniPlayerWindow::DrawnArea));
    }

    void digitsAreLimeOnBlack()
    {
        Strip s;
        for (int i = 1; i <= 6; ++i) {
            QCOMPARE(s.mini.digit(i)->foreColor(), 0x0000FF00u);
            QCOMPARE(s.mini.digit(i)->backColor(), 0x00000000u);
            QCOMPARE(s.mini.digit(i)->barWidth(), 2);
        }
        QVERIFY(!s.mini.digit(0));
        QVERIFY(!s.mini.digit(7));
    }

    void dragAndMenu_data()
    {
        QTest::addColumn<QString>("component");
        QTest::addColumn<bool>("handled");
        QTest::newRow("strip background") << "" << true;
        QTest::newRow("a digit") << "DigitalDisplay4" << true;
        QTest::newRow("colon dot") << "Shape1" << false;
        QTest::newRow("bevel") << "Shape5" << false;
    }

    // The background and the digits drag the strip and open the menu; the
    // bevel and the colon dots do neither.
    void dragAndMenu()
    {
        QFETCH(QString, component);
        QFETCH(bool, handled);
        Strip s;
        QWidget* target = s.at(component);
        const QPoint start = s.mini.pos();
        QPoint at = component.isEmpty() ? s.mini.mapToGlobal(QPoint(60, 37))
                                        : target->mapToGlobal(target->rect().center());
        pointer(target, QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
        pointer(target, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        at += QPoint(25, -12);
        pointer(target, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
        pointer(target, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(s.mini.pos(), handled ? start + QPoint(25, -12) : start);

        MenuCloser closer;
        pointer(target, QEvent::MouseButtonPress, at, Qt::RightButton, Qt::RightButton);
        QCOMPARE(closer.opened, handled);
        QCOMPARE(s.menu.dragging, handled ? 1 : 0);
    }

    // The pointer may travel far while the menu is open: the first move
    // after it closed only takes the new place, even with the left button
    // held; later moves drag as usual.
    void dragAfterTheMenuClosed()
    {
        Strip s;
        QWidget* digit = s.mini.digit(2);
        const QPoint start = s.mini.pos();
        QPoint at = digit->mapToGlobal(QPoint(5, 9));
        {
            MenuCloser closer;
            pointer(digit, QEvent::MouseButtonPress, at, Qt::RightButton, Qt::RightButton);
            QVERIFY(closer.opened);
        }
        QCOMPARE(s.menu.dragging, 1);
        at += QPoint(180, 90);
        pointer(digit, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        at += QPoint(3, 2);
        pointer(digit, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
        QCOMPARE(s.mini.pos(), start);
        QCOMPARE(s.menu.dragging, 0);
        at += QPoint(-7, 11);
        pointer(digit, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
        QCOMPARE(s.mini.pos(), start + QPoint(-7, 11));
    }

    // A close from the window system is handed to the player, which closes
    // as it would from its own window; the strip itself stays.
    void windowCloseIsTheOwnersChoice()
    {
        Strip s;
        int requests = 0;
        connect(&s.mini, &MiniPlayerWindow::closeRequested, [&] { ++requests; });
        s.mini.close();
        QCOMPARE(requests, 1);
        QVERIFY(s.mini.isVisible());
    }
};

QTEST_MAIN(tst_MiniPlayerWindow)
#include "tst_MiniPlayerWindow.moc"
