// ondel-dwd: looks into lyrics scripts and DWD files from the command line,
// and compiles a script against a list of key press times, through the same
// code as the compiler window and the player. The commands are in
// ToolCommands' table; this only picks one and gives it an application.

#include "ToolCommands.h"
#include "ToolOutput.h"
#include "lyrics/ImageCanvas.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <memory>

using namespace ToolOutput;

int main(int argc, char** argv)
{
    // Only a command that draws text needs the font database of a GUI
    // application; it never needs a screen.
    const ToolCommand* named = argc > 1 ? ToolCommands::find(QString::fromLocal8Bit(argv[1])) : nullptr;
    const bool drawsText = named && named->drawsText;
    if (drawsText) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // The off-screen platform's notes about the session (no runtime
        // directory and the like) say nothing about the picture.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
            if (type == QtCriticalMsg || type == QtFatalMsg) {
                writeErr(message + QLatin1Char('\n'));
            }
        });
    }
    std::unique_ptr<QCoreApplication> app = drawsText ? std::make_unique<QGuiApplication>(argc, argv)
                                                      : std::make_unique<QCoreApplication>(argc, argv);
    if (drawsText) {
        ImageCanvas::installFontSubstitutes();
    }
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty()) {
        return usage(QStringLiteral("no command given"));
    }
    const QString name = args.takeFirst();
    if (name == QLatin1String("--help") || name == QLatin1String("-h") || name == QLatin1String("help") ||
        args.contains(QLatin1String("--help"))) {
        writeOut(ToolCommands::helpText());
        return 0;
    }
    if (name == QLatin1String("--version") || name == QLatin1String("-v")) {
        writeOut(QStringLiteral("ondel-dwd " ONDEL_VERSION "\nQt %1\n").arg(QString::fromLatin1(qVersion())));
        return 0;
    }
    if (const ToolCommand* command = ToolCommands::find(name)) {
        return command->run(args);
    }
    return usage(QStringLiteral("unknown command '%1'").arg(name));
}
