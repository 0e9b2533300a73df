#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QSocketNotifier;

// One player per desktop session. The first player listens on a local socket
// in the user's runtime folder; a later start hands its request to it (come
// up, and play the disc it was given) and ends, so the user never meets a
// second player refusing a drive the first one holds.
//
// The request is one UTF-8 line, "raise" or "raise<TAB>SOURCE"; the running
// player answers "ok" once it has taken it, or "no<TAB>REASON" when SOURCE
// cannot be played.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    explicit SingleInstance(QString socketPath = defaultSocketPath(), QObject* parent = nullptr);
    ~SingleInstance() override;
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // $XDG_RUNTIME_DIR/ondelplayer.instance, or the temporary folder with the user id.
    static QString defaultSocketPath();

    // Becomes the session's player, or hands the request to the running one.
    // True when a running player took it: this process has nothing to do.
    // source is made absolute when it names a file, since the running
    // player's working folder differs. False also when neither works out;
    // the player then runs on its own, unreachable.
    bool handOverOrListen(const QString& source);
    bool listening() const;

    // After a hand-over the running player refused: why.
    std::optional<QString> refusal() const { return refusal_; }

    // Asked before a request with a source is answered: why the source
    // cannot be played, if it cannot.
    std::function<std::optional<QString>(const QString& source)> checkSource;
    // Takes no more requests; the socket goes, so a later start becomes the player.
    void stopListening();

Q_SIGNALS:
    // A later start asked to come up; source is empty when none was given.
    void requested(const QString& source);
    // A later start asked for a source that cannot be played; it was told why.
    void refused(const QString& source, const QString& reason);

private:
    struct Caller;
    bool handOver(const QString& source);
    void listen();
    void acceptCallers();
    void readFrom(Caller* caller);
    void hangUp(Caller& caller);
    void forget(Caller* caller);

    QString socketPath_;
    // The listening socket (-1: not listening) and the callers on it. Plain
    // sockets, which the Qt network library would only wrap at a cost to
    // every start.
    int listener_ = -1;
    QSocketNotifier* listenerNotifier_ = nullptr;
    std::vector<std::unique_ptr<Caller>> callers_;
    std::optional<QString> refusal_;
};
