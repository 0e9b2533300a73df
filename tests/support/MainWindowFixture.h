#pragma once

#include "ScriptedFileDialogs.h"
#include "ScriptedMessageBoxes.h"
#include "TempSettingsHome.h"
#include "app/PlayerWindow.h"
#include "controls/DigitalDisplay.h"
#include "platform/Clock.h"
#include "platform/QSettingsStore.h"
#include "platform/cdaudio/DeviceSession.h"
#include "platform/cdaudio/SimulatedDisc.h"
#include "window/PlayerPopupMenu.h"

#include <QCoreApplication>
#include <QTest>

// The main window on a simulated disc whose clock moves only by hand, with
// scripted boxes and dialogs and settings in a temporary home. Player and
// Dialogs let a test watch the window's hooks or the dialogs' moments.
template <typename Player = PlayerWindow, typename Dialogs = ScriptedFileDialogs> struct MainWindowFixture {
    explicit MainWindowFixture(const QString& disc = QStringLiteral("tracks=3"))
        : session(SimulatedDisc::create(
              disc + QStringLiteral(",id=window%1-%2").arg(QCoreApplication::applicationPid()).arg(++serial),
              clock, nullptr)),
          player(session, boxes, settings, &dialogs)
    {
    }

    // Shown at a known place, so window positions can be compared.
    void show()
    {
        player.move(200, 150);
        player.show();
        QVERIFY(QTest::qWaitForWindowExposed(&player));
    }
    template <typename T = QWidget> T* child(const QString& name)
    {
        return player.template findChild<T*>(name);
    }
    QAction* item(const char* name) { return player.popupMenu()->item(QLatin1String(name)); }
    bool lit(const char* lamp) { return !child(QLatin1String(lamp))->isHidden(); }
    // The six digits as they read now.
    QByteArray digits()
    {
        QByteArray text;
        for (int i = 1; i <= 6; ++i)
            text += child<DigitalDisplay>(QStringLiteral("ClockDisp%1").arg(i))->number();
        return text;
    }

    static inline int serial = 0;
    TempSettingsHome home;
    ManualClock clock;
    DeviceSession session;
    ScriptedMessageBoxes boxes;
    QSettingsStore settings;
    Dialogs dialogs;
    Player player;
};
