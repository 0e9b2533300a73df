// The compiler window timing a huge script: the time to open the window on
// it, to start, and what one timing press costs on the GUI thread (the key
// event, the record written to disk and the repaint of the window), median
// and maximum over a few thousand presses, plus a Backspace now and then.
// The script is ordinary lyrics (short lines of kana with a command every
// few lines) repeated to the size asked for, 16 MB by default.
#include "compile/CompileHost.h"
#include "compile/ui/CompileWindow.h"
#include "platform/Clock.h"
#include "platform/FileDialogs.h"
#include "platform/MemorySettingsStore.h"
#include "platform/MessageBoxes.h"
#include "platform/cdaudio/DeviceSession.h"
#include "platform/cdaudio/SimulatedDisc.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
class BenchHost final : public CompileHost {
public:
    explicit BenchHost(CdAudioDevice& device) : device_(device) {}
    void play() override
    {
        ReplyBuffer reply;
        device_.sendCommand("play cdaudio from 1", reply);
    }
    void stop() override
    {
        ReplyBuffer reply;
        device_.sendCommand("stop cdaudio", reply);
    }
    QString editorFileName() const override { return script; }
    void compilerWindowClosed() override {}
    int currentTrack() const override { return 1; }
    void offerRelation(int, const QString&) override {}
    QString script;

private:
    CdAudioDevice& device_;
};

class OkBoxes final : public MessageBoxes {
public:
    BoxButton show(const QString& caption, const QString& text, BoxIcon, BoxButtons) override
    {
        std::fprintf(stderr, "box %s: %s\n", qPrintable(caption), qPrintable(text));
        return BoxButton::Ok;
    }
};

class NoDialogs final : public FileDialogs {
public:
    std::optional<QString> openFile(const QString&, const QString&, const QString&) override { return {}; }
    std::optional<QString> saveFile(const QString&, const QString&, const QString&, const QString&) override
    {
        return {};
    }
};

QByteArray lyrics(qint64 bytes)
{
    // あいうえお かきくけこ さしすせそ, Shift-JIS, in lines of 16 to 20 characters.
    const QByteArray kana = "\x82\xa0\x82\xa2\x82\xa4\x82\xa6\x82\xa8\x82\xa9\x82\xab\x82\xad\x82\xaf\x82\xb1"
                            "\x82\xb3\x82\xb5\x82\xb7\x82\xb9\x82\xbb";
    QByteArray script;
    script.reserve(bytes + 64);
    for (int line = 0; script.size() < bytes; ++line) {
        if (line % 8 == 0)
            script += "[/clear][/fontsize(20)]";
        for (int c = 0; c < 16 + line % 5; ++c)
            script += kana.mid((line + c) % 15 * 2, 2);
        script += "\r\n";
    }
    return script;
}

void report(const char* what, std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    std::printf("%-22s %6zu  median %8.3f ms  p99 %8.3f ms  max %8.3f ms\n", what, ms.size(),
                ms[ms.size() / 2], ms[std::min(ms.size() - 1, ms.size() * 99 / 100)], ms.back());
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const qint64 megabytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 16;
    QTemporaryDir dir;
    const QString scriptName = dir.filePath("song.txt");
    {
        QFile file(scriptName);
        const QByteArray text = lyrics(megabytes * 1024 * 1024 - 64);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            return 1;
    }

    ManualClock clock;
    DeviceSession device(
        SimulatedDisc::create(QStringLiteral("tracks=1,length=60:00,id=benchcapture"), clock, nullptr));
    ReplyBuffer reply;
    device.sendCommand("open cdaudio", reply);
    BenchHost host(device);
    host.script = scriptName;
    OkBoxes boxes;
    NoDialogs dialogs;
    MemorySettingsStore settings;

    QElapsedTimer timer;
    timer.start();
    auto* form = new CompileWindow(host, device, boxes, dialogs, settings);
    form->show();
    QApplication::setActiveWindow(form);
    form->activateWindow();
    QApplication::processEvents();
    std::printf("script %lld MB\nopen the window      %8.1f ms\n", megabytes, timer.nsecsElapsed() / 1e6);

    timer.restart();
    form->start();
    QApplication::processEvents();
    std::printf("Start                %8.1f ms\n", timer.nsecsElapsed() / 1e6);

    auto press = [&](int key) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : form;
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier,
                       key == Qt::Key_Space ? QStringLiteral(" ") : QString());
        QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier,
                     key == Qt::Key_Space ? QStringLiteral(" ") : QString());
        QElapsedTimer t;
        t.start();
        QApplication::sendEvent(target, &down);
        QApplication::sendEvent(target, &up);
        form->repaint(); // the paint the press asks for, at once
        QApplication::processEvents();
        return t.nsecsElapsed() / 1e6;
    };
    std::vector<double> presses, takeBacks;
    for (int i = 0; i < 3000; ++i) {
        clock.advance(300);
        presses.push_back(press(Qt::Key_Space));
        if (i % 50 == 49)
            takeBacks.push_back(press(Qt::Key_Backspace));
    }
    report("Space press", presses);
    report("Backspace", takeBacks);

    timer.restart();
    form->end();
    std::printf("End                  %8.1f ms\n", timer.nsecsElapsed() / 1e6);
    form->close();
    delete form;
    return 0;
}
