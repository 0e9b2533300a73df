#pragma once

#include "ScriptedFileDialogs.h"
#include "ScriptedMessageBoxes.h"
#include "TempSettingsHome.h"
#include "UniqueDisc.h"
#include "compile/CaptureFile.h"
#include "compile/DwdCapture.h"
#include "compile/DwdWriter.h"
#include "core/SettingsKeys.h"
#include "lyrics/LyricState.h"
#include "lyrics/ui/LyricsWindow.h"
#include "lyrics/ui/LyricsWindowKeeper.h"
#include "platform/Clock.h"
#include "platform/QSettingsStore.h"
#include "platform/cdaudio/DeviceSession.h"
#include "platform/cdaudio/SimulatedDisc.h"
#include "player/Association.h"
#include "player/LyricsPlayback.h"
#include "player/PlaybackMonitor.h"
#include "player/PlayerControls.h"
#include "player/PlayerState.h"
#include "player/Transport.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

// The drive, able to lose the disc's identity on demand.
class IdentityDrive final : public CdAudioDevice {
public:
    explicit IdentityDrive(CdAudioDevice& inner) : inner_(inner) {}
    int sendCommand(const char* command, ReplyBuffer& reply) override
    {
        if (identityFails && qstrcmp(command, "info cdaudio identity wait") == 0)
            return 1;
        return inner_.sendCommand(command, reply);
    }
    bool identityFails = false;

private:
    CdAudioDevice& inner_;
};

// The main window's side of the lyrics: its hooks forward to the lyrics playback.
class LyricsControls final : public PlayerControls {
public:
    LyricsControls(PlayerState& state, LyricsPlayback& playback) : state_(state), playback_(playback) {}
    void setPlayEnabled(bool) override {}
    void setDigit(int, char) override {}
    void showPlayMode(PlayMode) override {}
    void setApplicationTitle(const QString&) override {}
    bool minimizeButtonDown() const override { return false; }
    bool wordsOnDown() const override { return wordsOn; }
    void loadLyricsAtPlay() override { playback_.loadAtPlay(state_.currentTrack); }
    void releaseLyricsAtStop() override { playback_.releaseAtStop(); }
    void stepLyrics() override { playback_.stepLyrics(); }

    bool wordsOn = true;

private:
    PlayerState& state_;
    LyricsPlayback& playback_;
};

// One DWD record for hand-made files: delta, command block (count byte first), text.
struct RawRecord {
    TrackPosition delta;
    QByteArray commands = QByteArray(1, '\0');
    QByteArray text;
};

// A player on a simulated disc with a manual clock, its lyrics shown in a real
// display window, lyrics files in a temporary folder and associations in a
// temporary settings home. Track 1 starts at clock 0, so the clock in
// milliseconds is the position within the track.
struct LyricsRig {
    explicit LyricsRig(const QString& simOptions = QStringLiteral("tracks=4,length=3:00"))
        : session(SimulatedDisc::create(uniqueDisc(simOptions), clock, nullptr))
    {
        ReplyBuffer reply;
        drive.sendCommand("open cdaudio", reply);
        drive.sendCommand("set cdaudio time format tmsf", reply);
        drive.sendCommand("info cdaudio identity wait", reply);
        identity = reply.toByteArray();
        host.loadPosition = [this](LyricsWindow&) { ++positionLoads; };
        host.savePosition = [this](LyricsWindow&) { ++positionSaves; };
        host.captureRunning = [this] { return capturing; };
    }

    // The file `ondel-dwd compile` writes for the script timed at these positions.
    QString compiled(const QString& name, const QByteArray& script, const QList<TrackPosition>& presses)
    {
        CaptureFile out;
        DwdCapture capture(out);
        capture.setScript(script);
        capture.begin(files.filePath(name));
        qint32 lineBreaks = 0;
        for (const TrackPosition& press : presses)
            capture.press(press, lineBreaks);
        capture.finish();
        return files.filePath(name);
    }
    static QByteArray rawBytes(const QList<RawRecord>& records)
    {
        QBuffer buffer;
        buffer.open(QIODevice::ReadWrite);
        DwdWriter::writeHeader(buffer);
        for (const RawRecord& r : records)
            DwdWriter::writeRecord(buffer, r.text, r.commands, r.delta);
        buffer.seek(0);
        DwdWriter::writeHeader(buffer);
        return buffer.data();
    }
    // The bytes as they are, with the stored size set to their length.
    static QByteArray sized(QByteArray bytes)
    {
        if (bytes.size() >= 11)
            qToLittleEndian<quint32>(quint32(bytes.size()), bytes.data() + 7);
        return bytes;
    }
    QString file(const QString& name, const QByteArray& bytes)
    {
        QFile out(files.filePath(name));
        out.open(QIODevice::WriteOnly | QIODevice::Truncate);
        out.write(bytes);
        return out.fileName();
    }
    void relate(int track, const QString& path)
    {
        store.openKey(SettingsKeys::relationKey(identity), true)
            ->writeString(SettingsKeys::trackValue(track), path);
    }
    QString related(int track)
    {
        auto key = store.openKey(SettingsKeys::relationKey(identity), false);
        return key ? key->readString(SettingsKeys::trackValue(track)).value_or(QString()) : QString();
    }

    void play(int track)
    {
        state.currentTrack = track;
        transport.play();
    }
    void tick()
    {
        clock.advance(50);
        monitor.onTick();
    }
    void runUntil(qint64 ms)
    {
        while (clock.nowMs() < ms)
            tick();
    }
    const LyricsReading& reading() const { return playback.reading(); }
    LyricsWindow* form() const { return host.lyricsWindow(); }
    // Every piece reached so far, in order.
    QByteArray written() const
    {
        QByteArray text;
        for (qint32 i = 0; i < lyrics.writtenText_.count(); ++i)
            text += lyrics.writtenText_.getItem(i)->text();
        return text;
    }

    TempSettingsHome home;
    QTemporaryDir files;
    ManualClock clock;
    DeviceSession session;
    IdentityDrive drive{session};
    QByteArray identity;
    ScriptedMessageBoxes boxes;
    ScriptedFileDialogs dialogs;
    QSettingsStore store;
    Association association{drive, boxes, store, dialogs};
    LyricState lyrics;
    LyricsWindowKeeper host{lyrics};
    LyricsPlayback playback{drive, boxes, association, lyrics, host};
    PlayerState state;
    LyricsControls controls{state, playback};
    Transport transport{drive, state, controls};
    PlaybackMonitor monitor{drive, state, controls, transport};
    int positionLoads = 0;
    int positionSaves = 0;
    bool capturing = false;
};
