#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;

// One player per desktop session. The first player listens on a local socket
// in the user's runtime folder; a later start hands its request to it (come
// up, and play the disc it was given) and ends, so the user never meets a
// second player refusing a drive the first one holds.
//
// The request is one UTF-8 line, "raise" or "raise<TAB>SOURCE"; the running
// player answers "ok" once it has taken it.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    explicit SingleInstance(QString socketPath = defaultSocketPath(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // $XDG_RUNTIME_DIR/ondelplayer.instance, or the temporary folder with the user id.
    static QString defaultSocketPath();

    // Becomes the session's player, or hands the request to the running one.
    // True when a running player took it: this process has nothing to do.
    // source is made absolute when it names a file, since the running
    // player's working folder differs. False also when neither works out;
    // the player then runs on its own, unreachable.
    bool handOverOrListen(const QString& source);
    bool listening() const;

Q_SIGNALS:
    // A later start asked to come up; source is empty when none was given.
    void requested(const QString& source);

private:
    bool handOver(const QString& source);
    void serve();

    QString socketPath_;
    std::unique_ptr<QLocalServer> server_;
};
