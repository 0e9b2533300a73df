#include "window/ModeTable.h"
#include "window/PlayerObjectNames.h"
#include "window/PlayerPopupMenu.h"
#include "window/SkinPalette.h"

#include <QActionGroup>
#include <QDir>
#include <QTest>
#include <QTimer>

using namespace PlayerObjectNames;

class tst_PlayerPopupMenu : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void itemsReachable();
    void modeItems_data();
    void modeItems();
    void checkItems();
    void shownFlagAfterClose();
    void palette_data();
    void palette();
};

// Every item is found by its name; the keys of the window are no menu
// shortcuts, and no two items share an accelerator letter.
void tst_PlayerPopupMenu::itemsReachable()
{
    PlayerPopupMenu menu;
    const QList<QAction*> shown = menu.actions();
    QStringList names;
    QList<QChar> accelerators;
    for (QAction* a : shown) {
        names << a->objectName();
        QVERIFY2(!a->objectName().isEmpty(), qPrintable(a->text()));
        QCOMPARE(menu.item(a->objectName()), a);
        QVERIFY(a->shortcut().isEmpty());
        if (a->isSeparator())
            continue;
        QVERIFY2(!a->text().isEmpty(), qPrintable(a->objectName()));
        const qsizetype amp = a->text().indexOf(QLatin1Char('&'));
        if (amp >= 0) {
            const QChar key = a->text().at(amp + 1).toUpper();
            QVERIFY2(!accelerators.contains(key), qPrintable(a->text()));
            accelerators << key;
        }
    }
    QCOMPARE(menu.itemNames(), names);
    const QList<QAction*> modes = menu.modeMenu()->actions();
    QCOMPARE(modes.size(), 4);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(modes[i], menu.modeItem(i));
    if (qEnvironmentVariableIsSet("ONDEL_SKIN_PREVIEW")) {
        QDir().mkpath(QStringLiteral(ONDEL_TEST_BINARY_DIR "/skin-preview"));
        menu.adjustSize();
        QVERIFY(menu.grab().save(QStringLiteral(ONDEL_TEST_BINARY_DIR "/skin-preview/popup-menu.png")));
        menu.modeMenu()->adjustSize();
        QVERIFY(menu.modeMenu()->grab().save(
            QStringLiteral(ONDEL_TEST_BINARY_DIR "/skin-preview/mode-menu.png")));
    }
}

void tst_PlayerPopupMenu::modeItems_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("item");
    QTest::addColumn<bool>("normal");
    QTest::addColumn<bool>("repeat");
    QTest::addColumn<bool>("random");
    QTest::newRow("normal") << 0 << "RMenuModeNormal" << true << false << false;
    QTest::newRow("one-track repeat") << 1 << "RMenuModeRepeat" << false << true << false;
    QTest::newRow("repeat all lights two lamps") << 2 << "RMenuModeAllRepeat" << true << true << false;
    QTest::newRow("random") << 3 << "RMenuModeRandom" << false << false << true;
}

// Choosing a mode item checks it alone, and the table gives its lamps.
void tst_PlayerPopupMenu::modeItems()
{
    QFETCH(int, mode);
    QFETCH(QString, item);
    QFETCH(bool, normal);
    QFETCH(bool, repeat);
    QFETCH(bool, random);
    PlayerPopupMenu menu;
    QAction* action = menu.item(item);
    QCOMPARE(menu.modeItem(mode), action);
    menu.item(Menu::ModeRandom)->trigger(); // start from another mode
    action->trigger();
    for (QAction* a : menu.modeGroup()->actions())
        QCOMPARE(a->isChecked(), a == action);
    const auto row = ModeTable::row(mode);
    QVERIFY(row);
    QCOMPARE(row->menuItem, item);
    QCOMPARE(row->normalLit, normal);
    QCOMPARE(row->repeatLit, repeat);
    QCOMPARE(row->randomLit, random);
}

void tst_PlayerPopupMenu::checkItems()
{
    PlayerPopupMenu menu;
    // As designed: normal mode, lyrics on, full window.
    QVERIFY(menu.item(Menu::ModeNormal)->isChecked());
    QVERIFY(menu.item(Menu::LyricsOn)->isChecked());
    QVERIFY(!menu.item(Menu::MiniMode)->isChecked());
    QVERIFY(!menu.item(Menu::Play)->isCheckable());
    menu.item(Menu::LyricsOn)->trigger();
    QVERIFY(!menu.item(Menu::LyricsOn)->isChecked());
    QVERIFY(menu.item(Menu::ModeNormal)->isChecked()); // independent of the radio group
    // A stored mode out of range changes nothing; a valid one moves the check.
    QVERIFY(!menu.checkMode(4));
    QVERIFY(!menu.checkMode(-1));
    QVERIFY(menu.item(Menu::ModeNormal)->isChecked());
    QVERIFY(menu.checkMode(2));
    QVERIFY(menu.item(Menu::ModeRepeatAll)->isChecked());
    QVERIFY(!menu.item(Menu::ModeNormal)->isChecked());
    QVERIFY(!menu.modeItem(4));
}

// The flag is raised only once the menu has closed, so the move that follows
// re-anchors the drag instead of jumping the window.
void tst_PlayerPopupMenu::shownFlagAfterClose()
{
    PlayerPopupMenu menu;
    int tagWhileOpen = -1;
    QTimer::singleShot(50, &menu, [&] {
        tagWhileOpen = menu.dragging;
        menu.close();
    });
    menu.popupAtPointer(QPoint(10, 10));
    QCOMPARE(tagWhileOpen, 0);
    QCOMPARE(menu.dragging, 1);
}

void tst_PlayerPopupMenu::palette_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("form grey first") << 0 << QColor(50, 50, 50);
    QTest::newRow("form grey twice") << 1 << QColor(50, 50, 50);
    QTest::newRow("darkest grey ends the greys") << 8 << QColor(15, 15, 15);
    QTest::newRow("greens start") << 9 << QColor(0, 50, 0);
    QTest::newRow("yellow-green") << 19 << QColor(108, 255, 0);
    QTest::newRow("blues start") << 23 << QColor(0, 0, 60);
    QTest::newRow("yellows start") << 34 << QColor(50, 50, 0);
    QTest::newRow("cyans start") << 42 << QColor(0, 50, 50);
    QTest::newRow("orange") << 55 << QColor(255, 125, 20);
    QTest::newRow("last red") << 62 << QColor(205, 0, 0);
}

void tst_PlayerPopupMenu::palette()
{
    QFETCH(int, index);
    QFETCH(QColor, colour);
    QCOMPARE(int(SkinPalette::entries().size()), 63);
    QCOMPARE(QColor(SkinPalette::entries()[index]), colour);
    // The colours the window's design names are all there.
    for (QRgb c : {qRgb(50, 50, 50), qRgb(0, 60, 0), qRgb(0, 80, 0), qRgb(0, 255, 0)})
        QVERIFY(SkinPalette::contains(c));
    QVERIFY(!SkinPalette::contains(qRgb(1, 2, 3)));
}

QTEST_MAIN(tst_PlayerPopupMenu)
#include "tst_PlayerPopupMenu.moc"
