#include "app/TOndelPlayer.h"
#include "platform/Clock.h"
#include "platform/QSettingsStore.h"
#include "platform/Trace.h"
#include "platform/TracingMessageBoxes.h"
#include "platform/cdaudio/DeviceSession.h"
#include "platform/cdaudio/DiscSourceFactory.h"
#include "platform/cdaudio/TracingDevice.h"
#include "platform/widgets/QtMessageBoxes.h"
#include "player/DiscStartup.h"

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

// The program's options. Parsed before any GUI application exists, so --help
// and --version work with no display.
struct Options {
    QCommandLineParser parser;
    QCommandLineOption disc{
        QStringLiteral("disc"),
        QStringLiteral("The disc to play: sim:[options], a .cue file, an audio file, a folder "
                       "of audio files or a drive such as /dev/sr0. Default: /dev/cdrom if "
                       "present, else the demo disc."),
        QStringLiteral("SOURCE")};
    QCommandLineOption trace{
        QStringLiteral("trace"),
        QStringLiteral("Append every device command and message box to FILE (- for standard error)."),
        QStringLiteral("FILE")};

    Options()
    {
        parser.setApplicationDescription(QStringLiteral("OndelPlayer: a karaoke player for audio CDs."));
        parser.addOption(disc);
        parser.addOption(trace);
    }
};

int run(QApplication& app, const Options& options)
{
    const QCommandLineParser& parser = options.parser;
    const QCommandLineOption& discOption = options.disc;
    const QCommandLineOption& traceOption = options.trace;
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
    if (!player.refused())
        player.show();
    return app.exec();
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication::setApplicationName(QStringLiteral("OndelPlayer"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ONDEL_VERSION));
    qSetMessagePattern(QStringLiteral("ondelplayer: %{message}"));

    Options options;
    const QCommandLineOption help = options.parser.addHelpOption();
    const QCommandLineOption version = options.parser.addVersionOption();
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (!options.parser.parse(arguments)) {
        reportError(options.parser.errorText());
        return 2;
    }
    if (options.parser.isSet(help)) {
        // With no application object yet, the parser cannot know the program's name.
        QString text = options.parser.helpText();
        text.replace(QStringLiteral("<executable_name>"), QStringLiteral("ondelplayer"));
        std::fputs(qPrintable(text), stdout);
        return 0;
    }
    if (options.parser.isSet(version)) {
        std::printf("ondelplayer %s\n", ONDEL_VERSION);
        return 0;
    }
    if (!options.parser.positionalArguments().isEmpty()) {
        reportError(QStringLiteral("unexpected argument: ") + options.parser.positionalArguments().first());
        return 2;
    }

    QApplication app(argc, argv);
    // The windows are designed for this font; IPA P Gothic stands in for it here.
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    QApplication::setFont(font);
    try {
        return run(app, options);
    }
    catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QStringLiteral("OndelPlayer"), QString::fromLocal8Bit(e.what()));
        return 1;
    }
    catch (...) {
        reportError(QStringLiteral("stopped by an unexpected error"));
        return 1;
    }
}
