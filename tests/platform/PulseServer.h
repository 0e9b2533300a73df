#pragma once

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <QtGlobal>

// A private PulseAudio server with one null sink "ondel_test", which plays
// (discards) audio in real time, in a folder of its own. Clients of this
// process reach it through PULSE_SERVER once started; stopping it gives
// PULSE_SERVER back its value from before.
class PulseServer {
public:
    explicit PulseServer(const QString& folder) : folder_(folder) {}
    ~PulseServer() { stop(); }

    static bool installed()
    {
        return !QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty();
    }
    QString socket() const { return QDir(folder_).filePath(QStringLiteral("native")); }

    bool start()
    {
        QFile::remove(socket());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"PULSE_RUNTIME_PATH", "XDG_RUNTIME_DIR", "HOME"})
            env.insert(QString::fromLatin1(name), folder_);
        server_.setProcessEnvironment(env);
        server_.setProgram(QStandardPaths::findExecutable(QStringLiteral("pulseaudio")));
        server_.setArguments({QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
                              QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--use-pid-file=no"),
                              QStringLiteral("--log-level=error"),
                              QStringLiteral("--load=module-native-protocol-unix"),
                              QStringLiteral("--load=module-null-sink sink_name=ondel_test")});
        // An unread pipe would fill up with the server's log and stall it.
        server_.setStandardOutputFile(QProcess::nullDevice());
        server_.setStandardErrorFile(QProcess::nullDevice());
        server_.start();
        QElapsedTimer waited;
        waited.start();
        while (!QFile::exists(socket()) && waited.elapsed() < 5000 && server_.state() != QProcess::NotRunning)
            QThread::msleep(20);
        if (!QFile::exists(socket()))
            return false;
        if (!environmentSet_)
            savedServer_ = qgetenv("PULSE_SERVER");
        environmentSet_ = true;
        qputenv("PULSE_SERVER", ("unix:" + socket()).toLocal8Bit());
        return true;
    }

    // Ends the server the hard way, as a crash would.
    void kill()
    {
        if (server_.state() == QProcess::NotRunning)
            return;
        server_.kill();
        server_.waitForFinished(3000);
    }

    void stop()
    {
        if (environmentSet_) {
            if (savedServer_.isNull())
                qunsetenv("PULSE_SERVER");
            else
                qputenv("PULSE_SERVER", savedServer_);
            environmentSet_ = false;
        }
        if (server_.state() == QProcess::NotRunning)
            return;
        server_.terminate();
        if (!server_.waitForFinished(3000))
            kill();
    }

    // Runs a client program of the server (pactl, parec) to its end; its output.
    QByteArray run(const QString& program, const QStringList& arguments)
    {
        QProcess client;
        client.start(program, arguments);
        client.waitForFinished(5000);
        return client.readAllStandardOutput();
    }
    // The streams the server is playing right now, one line each.
    QByteArray sinkInputs()
    {
        return run(QStringLiteral("pactl"),
                   {QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sink-inputs")})
            .trimmed();
    }

private:
    QString folder_;
    QProcess server_;
    QByteArray savedServer_;
    bool environmentSet_ = false;
};
