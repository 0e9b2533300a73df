#pragma once

#include "platform/cdaudio/CdAudioDevice.h"
#include "platform/cdaudio/DiscToc.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QThread>
#include <QtEndian>
#include <sndfile.h>
#include <vector>

// A disc played through, as a listener hears it at the sound server's null
// sink: the three kinds of disc laid out from files, the player's answer to
// every track change, and what the recording of the sink's monitor says about
// the seams between tracks.
//
// Every sample of a disc names itself: sample i of the whole disc holds left
// (i % 32000) + 1 and right (i / 32000) + 1, so silence (0, 0) is never in the
// audio and the recording tells which sample was heard when.
namespace TrackBoundaries {
constexpr int Rate = 44100;

enum class DiscKind { SingleFileCue, MultiFileCue, Folder };

inline const char* kindName(DiscKind kind)
{
    switch (kind) {
    case DiscKind::SingleFileCue:
        return "single-file cue";
    case DiscKind::MultiFileCue:
        return "multi-file cue";
    case DiscKind::Folder:
        return "folder";
    }
    return "";
}

// Writes samples [first, first + count) of the numbered disc as a WAV file.
inline bool writeNumbered(const QString& path, qint64 first, qint64 count)
{
    SF_INFO info{};
    info.samplerate = Rate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!f)
        return false;
    std::vector<short> data(size_t(count) * 2);
    for (qint64 i = 0; i < count; ++i) {
        data[size_t(2 * i)] = short((first + i) % 32000 + 1);
        data[size_t(2 * i + 1)] = short((first + i) / 32000 + 1);
    }
    const bool ok = sf_writef_short(f, data.data(), count) == count;
    sf_close(f);
    return ok;
}

inline QByteArray msf(qint64 frames)
{
    return QStringLiteral("%1:%2:%3")
        .arg(frames / CdFrames::PerMinute, 2, 10, QLatin1Char('0'))
        .arg(frames / CdFrames::PerSecond % 60, 2, 10, QLatin1Char('0'))
        .arg(frames % CdFrames::PerSecond, 2, 10, QLatin1Char('0'))
        .toLatin1();
}

// Lays out a disc of tracks of the given lengths in samples in folder, and
// gives the path to open: a cue sheet over one WAV (lengths rounded down to
// whole frames, as a sheet counts), a cue sheet over one WAV per track (the
// same), or a folder of one WAV per track with the lengths as given.
inline QString writeDisc(const QString& folder, DiscKind kind, std::vector<qint64> lengths)
{
    QDir(folder).mkpath(QStringLiteral("."));
    if (kind != DiscKind::Folder)
        for (qint64& length : lengths)
            length -= length % CdFrames::SamplesPerFrame;
    qint64 total = 0;
    for (qint64 length : lengths)
        total += length;
    QByteArray sheet;
    if (kind == DiscKind::SingleFileCue) {
        if (!writeNumbered(QDir(folder).filePath(QStringLiteral("disc.wav")), 0, total))
            return {};
        sheet = "FILE \"disc.wav\" WAVE\n";
    }
    qint64 first = 0;
    for (size_t t = 0; t < lengths.size(); ++t) {
        const QString name = QStringLiteral("%1.wav").arg(t + 1, 2, 10, QLatin1Char('0'));
        if (kind != DiscKind::SingleFileCue && !writeNumbered(QDir(folder).filePath(name), first, lengths[t]))
            return {};
        if (kind == DiscKind::MultiFileCue)
            sheet += "FILE \"" + name.toLatin1() + "\" WAVE\n";
        sheet += "  TRACK " + QByteArray::number(qulonglong(t + 1)).rightJustified(2, '0') + " AUDIO\n";
        sheet += "    INDEX 01 " +
                 msf(kind == DiscKind::MultiFileCue ? 0 : first / CdFrames::SamplesPerFrame) + "\n";
        first += lengths[t];
    }
    if (kind == DiscKind::Folder)
        return folder;
    QFile cue(QDir(folder).filePath(QStringLiteral("disc.cue")));
    if (!cue.open(QIODevice::WriteOnly) || cue.write(sheet) != sheet.size())
        return {};
    return cue.fileName();
}

// What the recording says about the seams.
struct Seams {
    qint64 longestSilence = -1; // samples of (0, 0) between the first and the last sound; -1: no sound
    int jumps = 0;              // sounds that do not follow the sample before them
    qint64 firstHeard = -1;
    qint64 lastHeard = -1;
    qint64 heard = 0; // samples of sound

    double longestSilenceMs() const { return longestSilence * 1000.0 / Rate; }
    // Every sample of a disc of total samples heard once, in order. The
    // monitor may miss the very first milliseconds of a stream: the new
    // stream takes the place of silence the sink has already rendered, and
    // the monitor has passed that silence on by then (the device plays the
    // stream's samples). So the disc's first 20 ms need not be in it.
    bool whole(qint64 total) const
    {
        return jumps == 0 && firstHeard >= 0 && firstHeard <= Rate / 50 && lastHeard == total - 1 &&
               heard == total - firstHeard;
    }
};

// Reads a raw s16le stereo recording.
inline Seams seamsOf(const QByteArray& recording)
{
    Seams seams;
    qint64 previous = -1;
    qint64 silence = 0;
    const qsizetype count = recording.size() / 4;
    for (qsizetype s = 0; s < count; ++s) {
        const qint16 left = qFromLittleEndian<qint16>(recording.constData() + 4 * s);
        const qint16 right = qFromLittleEndian<qint16>(recording.constData() + 4 * s + 2);
        if (left == 0 && right == 0) {
            if (previous >= 0)
                ++silence;
            continue;
        }
        const qint64 index = qint64(right - 1) * 32000 + (left - 1);
        if (previous < 0)
            seams.firstHeard = index;
        else if (index != previous + 1)
            ++seams.jumps;
        seams.longestSilence = std::max(seams.longestSilence, previous >= 0 ? silence : 0);
        silence = 0;
        previous = index;
        seams.lastHeard = index;
        ++seams.heard;
    }
    return seams;
}

inline QByteArray ask(CdAudioDevice& device, const QByteArray& command)
{
    ReplyBuffer reply;
    device.sendCommand(command.constData(), reply);
    return reply.toByteArray();
}

// Plays the disc from track 1 to its end as the player does in normal play:
// every 50 ms it reads the position, and when the disc has entered another
// track it asks to play that track.
inline void playThrough(CdAudioDevice& device, int timeoutMs = 60000)
{
    ask(device, "play cdaudio from 1");
    QByteArray lastTrack = "01";
    QElapsedTimer waited;
    waited.start();
    while (ask(device, "status cdaudio mode") == "playing" && waited.elapsed() < timeoutMs) {
        QThread::msleep(50);
        QCoreApplication::processEvents();
        const QByteArray track = ask(device, "status cdaudio position").left(2);
        if (track.size() == 2 && track != lastTrack)
            ask(device, "play cdaudio from " + track);
        lastTrack = track;
    }
}

// Records the monitor of a server's null sink into a file while it runs.
class MonitorRecording {
public:
    MonitorRecording(const QString& sink, const QString& file) : file_(file)
    {
        recorder_.setStandardOutputFile(file);
        recorder_.setStandardErrorFile(QProcess::nullDevice());
        recorder_.start(QStandardPaths::findExecutable(QStringLiteral("parec")),
                        {QStringLiteral("-d"), sink + QStringLiteral(".monitor"), QStringLiteral("--raw"),
                         QStringLiteral("--format=s16le"), QStringLiteral("--channels=2"),
                         QStringLiteral("--rate=44100"), QStringLiteral("--latency-msec=20")});
    }
    ~MonitorRecording() { end(); }
    // True once the monitor's sound is coming in.
    bool started()
    {
        if (!recorder_.waitForStarted(3000))
            return false;
        QElapsedTimer waited;
        waited.start();
        while (QFileInfo(file_).size() < 4 * Rate / 10 && waited.elapsed() < 3000)
            QThread::msleep(10);
        return QFileInfo(file_).size() >= 4 * Rate / 10;
    }
    // Waits for lingerMs more of the monitor, then ends the recording and gives it.
    QByteArray finish(int lingerMs = 400)
    {
        QThread::msleep(ulong(lingerMs));
        end();
        QFile file(file_);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    void end()
    {
        if (recorder_.state() == QProcess::NotRunning)
            return;
        recorder_.terminate();
        if (!recorder_.waitForFinished(3000))
            recorder_.kill();
    }
    QString file_;
    QProcess recorder_;
};
} // namespace TrackBoundaries
