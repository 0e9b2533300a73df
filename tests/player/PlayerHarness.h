#pragma once

#include "RecordingDevice.h"
#include "ScriptedMessageBoxes.h"
#include "UniqueDisc.h"
#include "platform/Clock.h"
#include "platform/cdaudio/DeviceSession.h"
#include "platform/cdaudio/SimulatedDisc.h"
#include "player/PlaybackMonitor.h"
#include "player/PlayerControls.h"
#include "player/PlayerStartup.h"
#include "player/PlayerState.h"
#include "player/Transport.h"

#include <QByteArrayList>
#include <QCoreApplication>
#include <QList>
#include <functional>
#include <memory>

// The main window as the logic sees it: what was shown, and hooks that a
// test can fill in.
class FakeControls final : public PlayerControls {
public:
    void setPlayEnabled(bool enabled) override { playEnabled = enabled; }
    void setDigit(int index, char character) override { digits[index - 1] = character; }
    void showPlayMode(PlayMode mode) override { shownModes.append(int(mode)); }
    void setApplicationTitle(const QString& value) override { title = value; }
    bool minimizeButtonDown() const override { return minimizeDown; }
    bool wordsOnDown() const override { return wordsOn; }

    void loadLyricsAtPlay() override
    {
        ++lyricsLoads;
        if (onLoadLyrics)
            onLoadLyrics();
    }
    void releaseLyricsAtStop() override { ++lyricsReleases; }
    HookResult endRunningCapture() override
    {
        ++captureEnds;
        return captureResult;
    }
    void forgetCompilerWindow() override { ++compilerForgotten; }
    void reportNoDisc() override { ++noDiscReports; }

    bool playEnabled = true;
    QByteArray digits = QByteArray(6, '?');
    QList<int> shownModes;
    QString title;
    bool minimizeDown = false;
    bool wordsOn = true;
    int lyricsLoads = 0;
    int lyricsReleases = 0;
    int captureEnds = 0;
    int compilerForgotten = 0;
    int noDiscReports = 0;
    HookResult captureResult = HookResult::Done;
    std::function<void()> onLoadLyrics;
};

// One player on a simulated disc with a manual clock: the device opened as
// at start-up, the transport and the monitor wired to a fake window.
struct PlayerHarness {
    explicit PlayerHarness(const QString& simOptions)
        : session(
              std::make_unique<DeviceSession>(SimulatedDisc::create(uniqueDisc(simOptions), clock, nullptr))),
          device(*session)
    {
        ScriptedMessageBoxes noBoxes;
        PlayerStartup::openDevice(device, noBoxes, state);
        state.random.seed(7);
        device.sent.clear();
    }

    // One monitor tick after 50 ms, as the timer runs it.
    void tick()
    {
        clock.advance(50);
        monitor.onTick();
    }
    void run(int ms)
    {
        for (int t = 0; t < ms; t += 50)
            tick();
    }
    // The track numbers of every play command so far.
    QList<int> plays() const
    {
        QList<int> tracks;
        for (const QByteArray& c : device.sent)
            if (c.startsWith("play cdaudio from "))
                tracks.append(c.mid(18).toInt());
        return tracks;
    }
    int count(const char* command) const { return int(device.sent.count(command)); }
    // Start playing a track as the user would, and let the monitor see it.
    void playTrack(int track)
    {
        state.currentTrack = track;
        transport.play();
        tick();
    }

    ManualClock clock;
    std::unique_ptr<DeviceSession> session;
    RecordingDevice device;
    PlayerState state;
    FakeControls controls;
    Transport transport{device, state, controls};
    PlaybackMonitor monitor{device, state, controls, transport};
};
