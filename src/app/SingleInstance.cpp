#include "app/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>

namespace {
constexpr int ReplyTimeoutMs = 3000;
// A line longer than any path is not a request.
constexpr qsizetype LongestRequest = 64 * 1024;
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

// The socket's address; false when the path is too long for one.
bool socketAddress(const QString& path, sockaddr_un& address)
{
    const QByteArray name = QFile::encodeName(path);
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (name.isEmpty() || size_t(name.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    return true;
}

// A socket for the path, its address filled in; -1 when none can be made.
int newSocket(const QString& path, sockaddr_un& address)
{
    if (!socketAddress(path, address))
        return -1;
    return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
}

// Waits until fd is ready for events or the deadline passes.
bool waitFor(int fd, short events, const QDeadlineTimer& deadline)
{
    for (;;) {
        pollfd watched{fd, events, 0};
        const int ready = ::poll(&watched, 1, int(std::max<qint64>(deadline.remainingTime(), 0)));
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

// The whole of data, within the deadline.
bool writeAll(int fd, const QByteArray& data, const QDeadlineTimer& deadline)
{
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = ::send(fd, data.constData() + done, size_t(data.size() - done), MSG_NOSIGNAL);
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && waitFor(fd, POLLOUT, deadline))
            continue;
        return false;
    }
    return true;
}

// A connection closed when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};
} // namespace

// One later start talking to this player: its request comes in pieces as
// the socket delivers them.
struct SingleInstance::Caller {
    int fd = -1;
    QByteArray received;
    QSocketNotifier* notifier = nullptr;
};

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent), socketPath_(std::move(socketPath))
{
}

SingleInstance::~SingleInstance()
{
    stopListening();
}

QString SingleInstance::defaultSocketPath()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists())
        return runtime + QStringLiteral("/ondelplayer.instance");
    return QDir::tempPath() + QStringLiteral("/ondelplayer-%1.instance").arg(::getuid());
}

bool SingleInstance::listening() const
{
    return listener_ >= 0;
}

void SingleInstance::stopListening()
{
    for (auto& caller : callers_)
        hangUp(*caller);
    callers_.clear();
    if (listener_ < 0)
        return;
    delete listenerNotifier_;
    listenerNotifier_ = nullptr;
    ::close(std::exchange(listener_, -1));
    // The socket goes, so a later start becomes the player.
    QFile::remove(socketPath_);
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
    listen();
    return false;
}

void SingleInstance::listen()
{
    sockaddr_un address;
    Descriptor socket(newSocket(socketPath_, address));
    if (socket.get() < 0)
        return;
    // Nobody answers: a socket file left by a player that crashed goes.
    QFile::remove(socketPath_);
    if (::bind(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return;
    // Only this user may ask; set before listening, so no one else ever can.
    if (::chmod(address.sun_path, S_IRUSR | S_IWUSR) != 0 || ::listen(socket.get(), 8) != 0) {
        QFile::remove(socketPath_);
        return;
    }
    listener_ = socket.release();
    listenerNotifier_ = new QSocketNotifier(listener_, QSocketNotifier::Read, this);
    connect(listenerNotifier_, &QSocketNotifier::activated, this, &SingleInstance::acceptCallers);
}

bool SingleInstance::handOver(const QString& source)
{
    sockaddr_un address;
    Descriptor socket(newSocket(socketPath_, address));
    if (socket.get() < 0)
        return false;
    const QDeadlineTimer deadline(ReplyTimeoutMs);
    if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (errno != EAGAIN && errno != EINPROGRESS)
            return false;
        // The player's queue of callers is full: wait for room.
        int error = 0;
        socklen_t length = sizeof error;
        if (!waitFor(socket.get(), POLLOUT, deadline) ||
            ::getsockopt(socket.get(), SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0)
            return false;
    }
    QByteArray request = Raise;
    if (!source.isEmpty())
        request += '\t' + source.toUtf8();
    if (!writeAll(socket.get(), request + '\n', deadline))
        return false;
    QByteArray reply;
    char buffer[4096];
    while (!reply.endsWith('\n')) {
        const ssize_t n = ::recv(socket.get(), buffer, sizeof buffer, 0);
        if (n > 0) {
            reply.append(buffer, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && waitFor(socket.get(), POLLIN, deadline))
            continue;
        break; // closed, failed or too slow
    }
    if (reply.startsWith(Refused) && reply.endsWith('\n')) {
        refusal_ = QString::fromUtf8(reply.mid(Refused.size()).chopped(1));
        return true;
    }
    return reply == Ok;
}

void SingleInstance::acceptCallers()
{
    for (;;) {
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EINTR)
                continue;
            return; // none waiting
        }
        auto caller = std::make_unique<Caller>();
        caller->fd = fd;
        caller->notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        Caller* raw = caller.get();
        connect(caller->notifier, &QSocketNotifier::activated, this, [this, raw] { readFrom(raw); });
        callers_.push_back(std::move(caller));
    }
}

void SingleInstance::readFrom(Caller* caller)
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::recv(caller->fd, buffer, sizeof buffer, 0);
        if (n > 0) {
            caller->received.append(buffer, n);
            if (caller->received.contains('\n') || caller->received.size() > LongestRequest)
                break;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;     // the rest of the line is still on its way
        forget(caller); // closed or failed before a whole line
        return;
    }
    const qsizetype end = caller->received.indexOf('\n');
    if (end < 0) {
        forget(caller);
        return;
    }
    const QByteArray line = caller->received.left(end);
    const qsizetype tab = line.indexOf('\t');
    if ((tab < 0 ? line : line.left(tab)) != Raise) {
        forget(caller);
        return;
    }
    const QString source = tab < 0 ? QString() : QString::fromUtf8(line.mid(tab + 1));
    const std::optional<QString> why =
        checkSource && !source.isEmpty() ? checkSource(source) : std::optional<QString>();
    // One line: a line break in the reason would end the answer early.
    writeAll(caller->fd, why ? Refused + why->simplified().toUtf8() + '\n' : Ok,
             QDeadlineTimer(ReplyTimeoutMs));
    // Answered before the player comes up, which may open a box: the later
    // start is not kept waiting on it.
    forget(caller);
    if (why)
        Q_EMIT refused(source, *why);
    else
        Q_EMIT requested(source);
}

void SingleInstance::hangUp(Caller& caller)
{
    // The notifier may be the one whose signal is being handled.
    caller.notifier->setEnabled(false);
    caller.notifier->deleteLater();
    ::close(caller.fd);
}

void SingleInstance::forget(Caller* caller)
{
    const auto found = std::find_if(callers_.begin(), callers_.end(),
                                    [caller](const std::unique_ptr<Caller>& c) { return c.get() == caller; });
    if (found == callers_.end())
        return;
    hangUp(**found);
    callers_.erase(found);
}
