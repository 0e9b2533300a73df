#pragma once

#include "MainWindowFixture.h"
#include "ScriptedFileDialogs.h"
#include "app/PlayerWindow.h"
#include "platform/Clock.h"
#include "platform/QSettingsStore.h"
#include "window/PlayerObjectNames.h"
#include "window/PlayerPopupMenu.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <functional>

// The main window as the controls and playback tests watch it.

// Counts the lyrics switch's hook, which the lyrics display takes over.
class Player final : public PlayerWindow {
public:
    using PlayerWindow::PlayerWindow;
    void lyricsSwitchedOff() override
    {
        ++switchedOff;
        PlayerWindow::lyricsSwitchedOff();
    }
    int switchedOff = 0;
};

// File dialogs that note whether the association's button and menu item
// were disabled while the dialog was open.
class WatchingDialogs final : public FileDialogs {
public:
    std::optional<QString> openFile(const QString& title, const QString& filter,
                                    const QString& suffix) override
    {
        enabledWhileOpen =
            player->findChild<QWidget*>(PlayerObjectNames::Main::RelationButton)->isEnabled() ||
            player->popupMenu()->item(PlayerObjectNames::Menu::Relate)->isEnabled();
        return scripted.openFile(title, filter, suffix);
    }
    std::optional<QString> saveFile(const QString&, const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
    ScriptedFileDialogs scripted;
    PlayerWindow* player = nullptr;
    bool enabledWhileOpen = true;
};

struct Form : MainWindowFixture<Player, WatchingDialogs> {
    explicit Form(const QString& disc = QStringLiteral("tracks=3")) : MainWindowFixture(disc)
    {
        dialogs.player = &player;
    }
};

// The main window on the real 50 ms timer, its disc running on a steady
// clock (`speed` times faster), with real boxes or scripted ones.
template <typename Boxes, typename DiscClock = SteadyClock>
using Live = MainWindowFixture<PlayerWindow, ScriptedFileDialogs, Boxes, QSettingsStore, DiscClock>;
using Window = MainWindowFixture<>;

// Runs `action` every few milliseconds in whatever event loop is running,
// the modal loop of a box included, until it returns true.
class Repeatedly : public QObject {
public:
    explicit Repeatedly(std::function<bool()> action) : action_(std::move(action))
    {
        connect(&timer_, &QTimer::timeout, this, [this] {
            if (action_())
                timer_.stop();
        });
        timer_.start(5);
    }
    bool done() const { return !timer_.isActive(); }

private:
    std::function<bool()> action_;
    QTimer timer_;
};

inline QMessageBox* openBox()
{
    return qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
}
