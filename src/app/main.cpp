#include "app/TOndelPlayer.h"
#include "platform/Clock.h"
#include "platform/QSettingsStore.h"
#include "platform/QtMessageBoxes.h"
#include "platform/Trace.h"
#include "platform/TracingMessageBoxes.h"
#include "platform/cdaudio/DeviceSession.h"
#include "platform/cdaudio/DiscSourceFactory.h"
#include "platform/cdaudio/DiscStartup.h"
#include "platform/cdaudio/TracingDevice.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFont>
#include <QMessageBox>
#include <cstdio>
#include <exception>

namespace {
void reportError(const QString& text)
{
    std::fprintf(stderr, "ondelplayer: %s\n", qPrintable(text));
}

int run(QApplication& app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("OndelPlayer: a karaoke player for audio CDs."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption discOption(
        QStringLiteral("disc"),
        QStringLiteral("The disc to play: sim:[options], a .cue file, an audio file, a folder of audio files "
                       "or a drive such as /dev/sr0. Default: /dev/cdrom if present, else the demo disc."),
        QStringLiteral("SOURCE"));
    const QCommandLineOption traceOption(
        QStringLiteral("trace"),
        QStringLiteral("Append every device command and message box to FILE (- for standard error)."),
        QStringLiteral("FILE"));
    parser.addOption(discOption);
    parser.addOption(traceOption);
    parser.process(app);

    SteadyClock clock;
    QString error;
    auto source = DiscSourceFactory::create(parser.value(discOption), clock, &error);
    if (!source) {
        reportError(error);
        return 2;
    }
    DeviceSession session(std::move(source));
    QtMessageBoxes screenBoxes;
    QSettingsStore settings;

    std::unique_ptr<Trace> trace;
    std::unique_ptr<TracingDevice> tracingDevice;
    std::unique_ptr<TracingMessageBoxes> tracingBoxes;
    if (parser.isSet(traceOption)) {
        trace = Trace::open(parser.value(traceOption), &error);
        if (!trace) {
            reportError(QStringLiteral("cannot open the trace file: ") + error);
            return 2;
        }
        tracingDevice = std::make_unique<TracingDevice>(session, *trace);
        tracingBoxes = std::make_unique<TracingMessageBoxes>(screenBoxes, *trace);
    }
    DiscStartup::prepare(session.source(), settings, trace.get());
    CdAudioDevice& device = tracingDevice ? static_cast<CdAudioDevice&>(*tracingDevice) : session;
    MessageBoxes& boxes = tracingBoxes ? static_cast<MessageBoxes&>(*tracingBoxes) : screenBoxes;

    TOndelPlayer player(device, boxes, settings);
    screenBoxes.owner = [&player] { return player.boxOwner(); };
    if (!player.refused())
        player.show();
    app.exec();
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("OndelPlayer"));
    QApplication::setApplicationVersion(QStringLiteral(ONDEL_VERSION));
    // The windows are designed for this font; IPA P Gothic stands in for it here.
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    QApplication::setFont(font);
    try {
        return run(app);
    }
    catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QStringLiteral("OndelPlayer"), QString::fromLocal8Bit(e.what()));
        return 0;
    }
}
