#pragma once

#include "RecordingDevice.h"
#include "ScriptedFileDialogs.h"
#include "ScriptedMessageBoxes.h"
#include "UniqueDisc.h"
#include "compile/CompileHost.h"
#include "compile/ui/CompileWindow.h"
#include "platform/Clock.h"
#include "platform/MemorySettingsStore.h"
#include "platform/cdaudio/DeviceSession.h"
#include "platform/cdaudio/SimulatedDisc.h"
#include "player/PlaybackMonitor.h"
#include "player/PlayerControls.h"
#include "player/PlayerStartup.h"
#include "player/PlayerState.h"
#include "player/Transport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QPointer>
#include <QTest>
#include <memory>

// The compiler window on a simulated disc with a manual clock, hosted by a
// stand-in main window whose transport and playback monitor are the real ones.
class CaptureRig final : public CompileHost, public PlayerControls {
public:
    explicit CaptureRig(const QString& simOptions = QStringLiteral("tracks=3"))
        : session(
              std::make_unique<DeviceSession>(SimulatedDisc::create(uniqueDisc(simOptions), clock, nullptr))),
          device(*session)
    {
        PlayerStartup::openDevice(device, boxes, state);
        device.sent.clear();
    }
    ~CaptureRig() override { delete form.data(); }

    // Creates the window as openCompileWindow does and puts it on screen, active.
    CompileWindow* open()
    {
        form = new CompileWindow(*this, device, boxes, dialogs, settings);
        form->show();
        QApplication::setActiveWindow(form);
        form->activateWindow();
        if (!QTest::qWaitForWindowActive(form))
            return nullptr;
        return form;
    }

    // Start with the mouse; the disc then plays from the clock's now.
    void start()
    {
        playStartMs = clock.nowMs();
        QTest::mouseClick(button(CompileWindowObjectNames::startButton), Qt::LeftButton);
    }
    // A key as the user types it: to whatever has the focus.
    void key(Qt::Key k)
    {
        QWidget* target = QApplication::focusWidget();
        QTest::keyClick(target ? target : form.data(), k);
    }
    // A timing press at this position in the track (m:ss:ff after Start).
    void pressAt(const TrackPosition& at, Qt::Key k = Qt::Key_Space)
    {
        const qint64 frames = qint64(at.minutes) * 4500 + at.seconds * 75 + at.frames;
        clock.set(playStartMs + (frames * 1000 + 74) / 75);
        key(k);
    }
    QAbstractButton* button(const QString& name) const { return form->findChild<QAbstractButton*>(name); }
    QByteArray mode()
    {
        ReplyBuffer reply;
        device.sendCommand("status cdaudio mode wait", reply);
        return reply.toByteArray();
    }
    QByteArray speed()
    {
        ReplyBuffer reply;
        device.sendCommand("status cdaudio speed", reply);
        return reply.toByteArray();
    }
    // One tick of the main window's timer, 50 ms later.
    void tick()
    {
        clock.advance(50);
        monitor.onTick();
    }

    // CompileHost
    void play() override { transport.play(); }
    void stop() override { transport.stop(); }
    QString editorFileName() const override { return editorFile; }
    QString discImagePath() const override { return imagePath; }
    int currentTrack() const override { return state.currentTrack; }
    void offerRelation(int track, const QString& dwdFile) override
    {
        offers << QStringLiteral("%1 %2").arg(track).arg(dwdFile);
    }
    void compilerWindowClosed() override
    {
        ++windowClosings;
        form = nullptr;
    }

    // PlayerControls: only the capture hook matters here.
    void setPlayEnabled(bool) override {}
    void setDigit(int, char) override {}
    void showPlayMode(PlayMode) override {}
    void setApplicationTitle(const QString&) override {}
    bool minimizeButtonDown() const override { return false; }
    bool wordsOnDown() const override { return false; }
    HookResult endRunningCapture() override
    {
        if (form && form->captureRunning())
            form->trackChanged();
        return HookResult::Done;
    }
    void forgetCompilerWindow() override { form = nullptr; }

    ManualClock clock;
    std::unique_ptr<DeviceSession> session;
    RecordingDevice device;
    PlayerState state;
    Transport transport{device, state, *this};
    PlaybackMonitor monitor{device, state, *this, transport};
    ScriptedMessageBoxes boxes;
    ScriptedFileDialogs dialogs;
    MemorySettingsStore settings;
    QPointer<CompileWindow> form;
    QString editorFile;
    QString imagePath; // what the timing view analyses: none by default
    int windowClosings = 0;
    QStringList offers; // "track file" for every offer to relate a take
    qint64 playStartMs = 0;
};
