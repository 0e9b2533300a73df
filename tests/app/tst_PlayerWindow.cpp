#include "MainWindowFixture.h"
#include "app/PlayerWindow.h"
#include "controls/DigitalDisplay.h"
#include "platform/Clock.h"
#include "platform/MessageBoxes.h"
#include "platform/SettingsStore.h"
#include "platform/cdaudio/DeviceSession.h"
#include "platform/cdaudio/SimulatedDisc.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QTest>

namespace {
using Window = MainWindowFixture<>;
} // namespace

class tst_PlayerWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void layout_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        const struct {
            const char* name;
            QRect rect;
        } table[] = {
            {"Shape3", {44, 36, 217, 44}},     {"NORMALImage1", {48, 38, 40, 8}},
            {"NORMALImage0", {48, 38, 40, 8}}, {"REPEATImage1", {48, 48, 40, 8}},
            {"REPEATImage0", {48, 48, 40, 8}}, {"RANDOMImage1", {48, 58, 40, 8}},
            {"RANDOMImage0", {48, 58, 40, 8}}, {"ClockDisp1", {105, 44, 15, 27}},
            {"ClockDisp2", {125, 44, 15, 27}}, {"ClockDisp3", {165, 44, 15, 27}},
            {"ClockDisp4", {185, 44, 15, 27}}, {"ClockDisp5", {220, 44, 15, 27}},
            {"ClockDisp6", {240, 44, 15, 27}}, {"Shape1", {209, 49, 4, 4}},
            {"Shape2", {209, 63, 4, 4}},       {"Eject1", {10, 32, 25, 50}},
            {"SetMode", {271, 32, 25, 50}},    {"Rew", {19, 88, 60, 30}},
            {"Play", {80, 88, 75, 30}},        {"Stop", {156, 88, 36, 30}},
            {"FF", {193, 88, 60, 30}},
        };
        for (const auto& row : table)
            QTest::newRow(row.name) << QString::fromLatin1(row.name) << row.rect;
    }

    void layout()
    {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        Window w(QStringLiteral("tracks=3"));
        QWidget* component = w.player.findChild<QWidget*>(name);
        QVERIFY(component);
        QCOMPARE(component->geometry(), geometry);
    }

    // The digits sit above the panel and the lit lamps above the dim ones.
    void stacking()
    {
        Window w(QStringLiteral("tracks=3"));
        const QObjectList children = w.player.children();
        const auto index = [&](const char* name) {
            return children.indexOf(w.player.findChild<QObject*>(QLatin1String(name)));
        };
        QVERIFY(index("Shape3") < index("ClockDisp1"));
        QVERIFY(index("Shape3") < index("Shape1"));
        QVERIFY(index("NORMALImage1") < index("NORMALImage0"));
        QVERIFY(index("RANDOMImage1") < index("RANDOMImage0"));
    }

    void setModeLamps_data()
    {
        QTest::addColumn<int>("presses");
        QTest::addColumn<QString>("checkedItem");
        QTest::addColumn<bool>("normal");
        QTest::addColumn<bool>("repeat");
        QTest::addColumn<bool>("random");
        QTest::newRow("once: one-track repeat") << 1 << "RMenuModeRepeat" << false << true << false;
        QTest::newRow("twice: repeat all lights NORMAL and REPEAT")
            << 2 << "RMenuModeAllRepeat" << true << true << false;
        QTest::newRow("three times: random") << 3 << "RMenuModeRandom" << false << false << true;
        QTest::newRow("four times: back to normal") << 4 << "RMenuModeNormal" << true << false << false;
    }

    void setModeLamps()
    {
        QFETCH(int, presses);
        QFETCH(QString, checkedItem);
        QFETCH(bool, normal);
        QFETCH(bool, repeat);
        QFETCH(bool, random);

        Window w(QStringLiteral("tracks=3"));
        auto* setMode = w.player.findChild<QAbstractButton*>(QStringLiteral("SetMode"));
        for (int i = 0; i < presses; ++i)
            setMode->click();
        QCOMPARE(w.lit("NORMALImage0"), normal);
        QCOMPARE(w.lit("REPEATImage0"), repeat);
        QCOMPARE(w.lit("RANDOMImage0"), random);
        for (const char* item :
             {"RMenuModeNormal", "RMenuModeRepeat", "RMenuModeAllRepeat", "RMenuModeRandom"})
            QCOMPARE(w.player.findChild<QAction*>(QLatin1String(item))->isChecked(),
                     checkedItem == QLatin1String(item));
    }

    // Play and its menu twin are disabled together while playing and enabled
    // together once stopped.
    void playAndTwin()
    {
        Window w(QStringLiteral("tracks=3"));
        auto* play = w.player.findChild<QAbstractButton*>(QStringLiteral("Play"));
        auto* twin = w.player.findChild<QAction*>(QStringLiteral("RMenuPlay"));
        play->click();
        w.player.onTick();
        QVERIFY(!play->isEnabled());
        QVERIFY(!twin->isEnabled());
        w.player.findChild<QAbstractButton*>(QStringLiteral("Stop"))->click();
        w.player.onTick();
        QVERIFY(play->isEnabled());
        QVERIFY(twin->isEnabled());
    }

    void holdOnPanel_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("on the panel") << "Shape3";
        QTest::newRow("on a digit") << "ClockDisp3";
        QTest::newRow("on a lamp") << "NORMALImage1";
    }

    // While stopped, holding the left button shows the track count and the
    // disc length; releasing it shows the track again.
    void holdOnPanel()
    {
        QFETCH(QString, target);
        Window w(QStringLiteral("tracks=8,length=3:00,track=5"));
        w.player.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.player));
        w.player.onTick();
        QCOMPARE(w.digits(), QByteArray("050000"));

        auto* widget = w.player.findChild<QWidget*>(target);
        const QPoint point = widget->geometry().center();
        QTest::mousePress(w.player.childAt(point), Qt::LeftButton, {},
                          w.player.childAt(point)->mapFrom(&w.player, point));
        w.player.onTick();
        QCOMPARE(w.digits(), QByteArray("8\0"
                                        "2400",
                                        6));
        QTest::mouseRelease(w.player.childAt(point), Qt::LeftButton, {},
                            w.player.childAt(point)->mapFrom(&w.player, point));
        w.player.onTick();
        QCOMPARE(w.digits(), QByteArray("050000"));
    }
};

QTEST_MAIN(tst_PlayerWindow)
#include "tst_PlayerWindow.moc"
