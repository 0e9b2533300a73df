#pragma once

#include <QProcess>
#include <QString>

// A session bus of the test's own: a dbus-daemon started for the life of the
// object, so that nothing on the user's desktop hears the test or answers it.
class PrivateSessionBus {
public:
    PrivateSessionBus();
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    // Empty when the daemon could not start.
    QString address() const { return address_; }

private:
    QProcess daemon_;
    QString address_;
};
