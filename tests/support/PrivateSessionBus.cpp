#include "PrivateSessionBus.h"

PrivateSessionBus::PrivateSessionBus()
{
    daemon_.setProgram(QStringLiteral("dbus-daemon"));
    daemon_.setArguments({QStringLiteral("--session"), QStringLiteral("--nofork"),
                          QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
    daemon_.start();
    if (!daemon_.waitForStarted(5000))
        return;
    QByteArray line;
    while (!line.endsWith('\n') && daemon_.waitForReadyRead(5000))
        line += daemon_.readAllStandardOutput();
    address_ = QString::fromUtf8(line.trimmed());
}

PrivateSessionBus::~PrivateSessionBus()
{
    if (daemon_.state() != QProcess::NotRunning) {
        daemon_.terminate();
        if (!daemon_.waitForFinished(3000))
            daemon_.kill();
        daemon_.waitForFinished(3000);
    }
}
