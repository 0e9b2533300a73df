#include "app/SingleInstance.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <unistd.h>

namespace {
constexpr int ReplyTimeoutMs = 3000;
const QByteArray Raise = QByteArrayLiteral("raise");
const QByteArray Ok = QByteArrayLiteral("ok\n");
const QByteArray Refused = QByteArrayLiteral("no\t");

// Simulated discs and drives are names, not files of the working folder.
QString absoluteSource(const QString& source)
{
    if (source.isEmpty() || source.startsWith(QLatin1String("sim:")) || QDir::isAbsolutePath(source))
        return source;
    return QFileInfo(source).absoluteFilePath();
}
} // namespace

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent), socketPath_(std::move(socketPath))
{
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultSocketPath()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists())
        return runtime + QStringLiteral("/ondelplayer.instance");
    return QDir::tempPath() + QStringLiteral("/ondelplayer-%1.instance").arg(::getuid());
}

bool SingleInstance::listening() const
{
    return server_ && server_->isListening();
}

void SingleInstance::stopListening()
{
    if (server_)
        server_->close();
    server_.reset();
}

bool SingleInstance::handOverOrListen(const QString& source)
{
    // Two players started at once must not both find no one listening and
    // both listen: the check and the listen happen under one lock.
    QLockFile lock(socketPath_ + QStringLiteral(".lock"));
    lock.setStaleLockTime(0);
    lock.tryLock(ReplyTimeoutMs);
    if (handOver(absoluteSource(source)))
        return true;
    // Nobody answers: a socket file left by a player that crashed goes.
    QLocalServer::removeServer(socketPath_);
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(socketPath_)) {
        server_.reset();
        return false;
    }
    connect(server_.get(), &QLocalServer::newConnection, this, &SingleInstance::serve);
    return false;
}

bool SingleInstance::handOver(const QString& source)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (!socket.waitForConnected(ReplyTimeoutMs))
        return false;
    QByteArray request = Raise;
    if (!source.isEmpty())
        request += '\t' + source.toUtf8();
    socket.write(request + '\n');
    if (!socket.waitForBytesWritten(ReplyTimeoutMs))
        return false;
    // The answer may have come in while the request went out.
    QByteArray reply = socket.readAll();
    while (!reply.endsWith('\n') && socket.waitForReadyRead(ReplyTimeoutMs))
        reply += socket.readAll();
    if (reply.startsWith(Refused) && reply.endsWith('\n')) {
        refusal_ = QString::fromUtf8(reply.mid(Refused.size()).chopped(1));
        return true;
    }
    return reply == Ok;
}

void SingleInstance::serve()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                // A line longer than any path is not a request.
                if (socket->bytesAvailable() > 64 * 1024)
                    socket->abort();
                return;
            }
            const QByteArray line = socket->readLine().chopped(1);
            const qsizetype tab = line.indexOf('\t');
            if ((tab < 0 ? line : line.left(tab)) != Raise) {
                socket->abort();
                return;
            }
            const QString source = tab < 0 ? QString() : QString::fromUtf8(line.mid(tab + 1));
            const std::optional<QString> why =
                checkSource && !source.isEmpty() ? checkSource(source) : std::optional<QString>();
            // One line: a line break in the reason would end the answer early.
            socket->write(why ? Refused + why->simplified().toUtf8() + '\n' : Ok);
            socket->flush();
            socket->disconnectFromServer();
            if (why)
                Q_EMIT refused(source, *why);
            else
                Q_EMIT requested(source);
        });
    }
}
