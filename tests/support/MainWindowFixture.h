#pragma once

#include "RecordingDevice.h"
#include "ScriptedFileDialogs.h"
#include "ScriptedMessageBoxes.h"
#include "TempSettingsHome.h"
#include "app/PlayerWindow.h"
#include "controls/DigitalDisplay.h"
#include "controls/PictureButton.h"
#include "core/SettingsKeys.h"
#include "platform/Clock.h"
#include "platform/QSettingsStore.h"
#include "platform/cdaudio/DeviceSession.h"
#include "platform/cdaudio/SimulatedDisc.h"
#include "platform/widgets/QtMessageBoxes.h"
#include "window/PlayerObjectNames.h"
#include "window/PlayerPopupMenu.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTest>
#include <memory>
#include <type_traits>

// The main window on a simulated disc, every device command recorded, with
// scripted dialogs and settings in a temporary home. By default the disc's
// clock moves only by hand and boxes are scripted; a test of the real timer
// takes SteadyClock, one of boxes opened inside ticks takes QtMessageBoxes.
// Player and Dialogs let a test watch the window's hooks or the dialogs'
// moments; Store is the settings store the window starts on, filled from
// `savedState` ("name=value" pairs of the player state key) beforehand.
template <typename Player = PlayerWindow, typename Dialogs = ScriptedFileDialogs,
          typename Boxes = ScriptedMessageBoxes, typename Store = QSettingsStore,
          typename DiscClock = ManualClock>
struct MainWindowFixture {
    explicit MainWindowFixture(const QString& disc = QStringLiteral("tracks=3"),
                               const QStringList& savedState = {})
        : session(SimulatedDisc::create(
              disc + QStringLiteral(",id=window%1-%2").arg(QCoreApplication::applicationPid()).arg(++serial),
              clock, nullptr)),
          device(session), stateSaved(save(settings, savedState)), player(device, boxes, settings, &dialogs)
    {
        if constexpr (std::is_same_v<Boxes, QtMessageBoxes>)
            boxes.owner = [this] { return player.boxOwner(); };
    }

    // Shown at a known place, so window positions can be compared.
    void show()
    {
        player.move(200, 150);
        player.show();
        QVERIFY(QTest::qWaitForWindowExposed(&player));
    }
    // Shown there and made the active window, for tests of focus and keys.
    void showActive()
    {
        player.move(200, 150);
        player.show();
        player.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&player));
    }
    template <typename T = QWidget> T* child(const QString& name)
    {
        return player.template findChild<T*>(name);
    }
    template <typename T = QWidget> T* child(const char* name) { return child<T>(QLatin1String(name)); }
    PictureButton* button(QLatin1String name) { return child<PictureButton>(name); }
    PictureButton* button(const char* name) { return button(QLatin1String(name)); }
    QAction* item(QLatin1String name) { return player.popupMenu()->item(name); }
    QAction* item(const char* name) { return item(QLatin1String(name)); }
    bool lit(QLatin1String lamp) { return !child(lamp)->isHidden(); }
    bool lit(const char* lamp) { return lit(QLatin1String(lamp)); }
    // The six digits as they read now.
    QByteArray digits()
    {
        QByteArray text;
        for (QLatin1String digit : PlayerObjectNames::Main::Digits)
            text += child<DigitalDisplay>(digit)->number();
        return text;
    }
    // The tracks of the play commands sent since `from`.
    QList<int> plays(qsizetype from = 0) const
    {
        QList<int> tracks;
        for (qsizetype i = from; i < device.sent.size(); ++i)
            if (device.sent[i].startsWith("play cdaudio from "))
                tracks << device.sent[i].mid(18).toInt();
        return tracks;
    }
    // Relates `file` to `track` of the disc in the drive, as the association does.
    void relate(int track, const QString& file)
    {
        ReplyBuffer reply;
        session.sendCommand("info cdaudio identity wait", reply);
        settings.openKey(SettingsKeys::relationKey(reply.toByteArray()), true)
            ->writeString(SettingsKeys::trackValue(track), file);
    }
    // What the player state key holds under `name` now, "-" when nothing.
    QString saved(const char* name)
    {
        auto key = settings.openKey(SettingsKeys::PlayerState, false);
        return key ? key->readString(QLatin1String(name)).value_or(QStringLiteral("-")) : QStringLiteral("-");
    }

    static bool save(Store& store, const QStringList& state)
    {
        if (state.isEmpty())
            return false;
        auto key = store.openKey(SettingsKeys::PlayerState, true);
        for (const QString& pair : state)
            key->writeString(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
        return true;
    }

    static inline int serial = 0;
    // Settings in a temporary home of the fixture's own, unless the test has one.
    std::unique_ptr<TempSettingsHome> home{TempSettingsHome::active() ? nullptr
                                                                      : std::make_unique<TempSettingsHome>()};
    DiscClock clock;
    DeviceSession session;
    RecordingDevice device;
    Boxes boxes;
    Store settings;
    bool stateSaved;
    Dialogs dialogs;
    Player player;
};
