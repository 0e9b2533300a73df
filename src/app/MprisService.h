#pragma once

#include "app/MprisModel.h"

#include <QDBusConnection>
#include <QObject>

class CdAudioDevice;
class MprisPlayerAdaptor;
class PlayerRemote;

// The player on the session bus as org.mpris.MediaPlayer2.ondelplayer, at
// /org/mpris/MediaPlayer2, so that media keys, panel applets and phone
// remotes reach it. publishChanges, called after every monitor tick and
// every remote call, sends PropertiesChanged for whatever changed and Seeked
// when the position jumped.
class MprisService : public QObject {
    Q_OBJECT

public:
    MprisService(PlayerRemote& remote, CdAudioDevice& device, QDBusConnection connection);
    ~MprisService() override;

    // Registers the object and takes the bus name; false (and a reason) when
    // the bus cannot be reached. The name of another player keeps its own:
    // this one then takes the name with its process id appended.
    bool start(QString* error = nullptr);
    QString serviceName() const { return serviceName_; }

    MprisModel& model() { return model_; }
    PlayerRemote& remote() { return remote_; }

public Q_SLOTS:
    void publishChanges();

private:
    PlayerRemote& remote_;
    MprisModel model_;
    MprisPlayerAdaptor* player_; // owned by this object
    QDBusConnection connection_;
    QString serviceName_;
};
