#include "app/AppIcon.h"
#include "app/AppIdentity.h"
#include "app/DiscChanger.h"
#include "app/MprisService.h"
#include "app/PlayerCommandLine.h"
#include "app/PlayerWindow.h"
#include "app/PlayerWindowRemote.h"
#include "app/SingleInstance.h"
#include "lyrics/ImageCanvas.h"
#include "platform/Clock.h"
#include "platform/QSettingsStore.h"
#include "platform/Trace.h"
#include "platform/TracingMessageBoxes.h"
#include "platform/cdaudio/DeviceSession.h"
#include "platform/cdaudio/DiscSourceFactory.h"
#include "platform/cdaudio/ImageDisc.h"
#include "platform/cdaudio/TracingDevice.h"
#include "platform/widgets/QtMessageBoxes.h"
#include "player/DiscStartup.h"
#include "window/PlayerObjectNames.h"

#include <QApplication>
#include <QDBusConnection>
#include <QFont>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <exception>

namespace {
void reportError(const QString& text)
{
    std::fprintf(stderr, "ondelplayer: %s\n", qPrintable(text));
}

int run(QApplication& app, const PlayerOptions& options)
{
    // A player already running in this session takes the request and comes up.
    SingleInstance instance;
    if (instance.handOverOrListen(options.disc)) {
        if (const std::optional<QString> why = instance.refusal()) {
            reportError(QStringLiteral("cannot play %1: %2").arg(options.disc, *why));
            return 1;
        }
        return 0;
    }

    SteadyClock clock;
    QString error;
    auto source = DiscSourceFactory::create(options.disc, clock, &error);
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
    if (options.traceGiven) {
        trace = Trace::open(options.trace, &error);
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

    PlayerWindow player(device, boxes, settings);
    player.setDiscImagePath([&session] {
        const auto* image = dynamic_cast<const ImageDisc*>(&session.source());
        return image ? image->path() : QString();
    });
    screenBoxes.owner = [&player] { return player.boxOwner(); };
    if (player.refused()) {
        app.exec();
        return 0;
    }
    // The program ends when the player does, not with its last visible window:
    // in mini mode the strip is a window of the hidden player, and the lyrics
    // window closing at a track's end would otherwise end everything. A later
    // start must not hand over to a player that is ending.
    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(&player, &PlayerWindow::closed, &app, [&instance] {
        instance.stopListening();
        QCoreApplication::quit();
    });
    PlayerWindowRemote remote(player);
    DiscChanger changer(session, device, player.state(), remote, boxes, settings, clock, trace.get());
    // Media keys and remote controls, when the session has a bus. Changes
    // are published after every monitor tick, the moment the state settles.
    MprisService mpris(remote, device, QDBusConnection::sessionBus());
    QObject::connect(&instance, &SingleInstance::requested, &player, [&](const QString& disc) {
        remote.raise();
        if (!disc.isEmpty() && changer.change(disc) == DiscChanger::Outcome::Changed)
            mpris.model().discChanged();
    });

    instance.checkSource = [&clock](const QString& disc) { return DiscChanger::unplayable(disc, clock); };
    QObject::connect(&instance, &SingleInstance::refused, &player, [&](const QString&, const QString& why) {
        remote.raise();
        boxes.show(QStringLiteral("ERROR"), DiscChanger::unplayableMessage(why), BoxIcon::Error,
                   BoxButtons::Ok);
    });

    if (mpris.start()) {
        if (auto* timer = player.findChild<QTimer*>(PlayerObjectNames::Main::TickTimer))
            QObject::connect(timer, &QTimer::timeout, &mpris, &MprisService::publishChanges);
    }

    player.show();
    return app.exec();
}

// Qt ends the program with an abort when it cannot reach the window system;
// while the application starts, that is said plainly and the program ends
// with a failure status instead.
QtMessageHandler previousHandler = nullptr;

void endWithoutDisplay(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type != QtFatalMsg) {
        if (previousHandler)
            previousHandler(type, context, message);
        return;
    }
    reportError(QStringLiteral("no display could be opened: ") + message);
    std::_Exit(1);
}

int printAndExit(const QString& text, std::FILE* stream, int status)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    return status;
}
} // namespace

int main(int argc, char** argv)
{
    qSetMessagePattern(QStringLiteral("ondelplayer: %{message}"));
    // Read before any window system is touched: --help and --version need no display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const PlayerOptions options = PlayerCommandLine::parse(arguments);
    switch (options.action) {
    case PlayerOptions::Action::Help:
        return printAndExit(PlayerCommandLine::helpText(), stdout, 0);
    case PlayerOptions::Action::Version:
        return printAndExit(PlayerCommandLine::versionText(), stdout, 0);
    case PlayerOptions::Action::Error:
        return printAndExit(QStringLiteral("ondelplayer: %1\nTry 'ondelplayer --help'.\n").arg(options.error),
                            stderr, 2);
    case PlayerOptions::Action::Run:
        break;
    }

    // Every window is drawn by the CPU: loading the GL libraries only to
    // ask what they offer would cost each start time and memory.
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
    previousHandler = qInstallMessageHandler(endWithoutDisplay);
    QApplication app(argc, argv);
    qInstallMessageHandler(previousHandler);
    QApplication::setApplicationName(QStringLiteral("OndelPlayer"));
    QApplication::setApplicationVersion(QStringLiteral(ONDEL_VERSION));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(AppIdentity::Id));
    QApplication::setWindowIcon(AppIcon::icon());
    // The windows are designed for this font; IPA P Gothic stands in for it here.
    ImageCanvas::installFontSubstitutes();
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
