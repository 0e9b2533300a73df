#include "player/PlayerStartup.h"

#include "platform/MessageBoxes.h"
#include "player/DeviceCommands.h"
#include "player/PlayerState.h"

#include <ctime>

PlayerStartup::Outcome PlayerStartup::openDevice(CdAudioDevice& device, MessageBoxes& boxes,
                                                 PlayerState& state)
{
    state.CurrentTrack = 1;
    state.TrackCount = 1;

    ReplyBuffer reply;
    DeviceCommands::send(device, "open cdaudio", reply);
    if (reply.isEmpty()) {
        boxes.show(QStringLiteral("Information"),
                   QStringLiteral("ＣＤが使用中です。\n使用を止めてから再度実行してください。"),
                   BoxIcon::Information, BoxButtons::Ok);
        return Outcome::Refused;
    }

    DeviceCommands::send(device, "set cdaudio time format tmsf", reply);
    DeviceCommands::send(device, "status cdaudio position wait", reply);
    if (const auto track = DeviceCommands::twoCharNumber(reply, 0))
        state.CurrentTrack = *track;
    DeviceCommands::send(device, "status cdaudio number of tracks wait", reply);
    if (const auto count = DeviceCommands::twoCharNumber(reply, 0))
        state.TrackCount = *count;

    state.random.seed(std::minstd_rand::result_type(std::time(nullptr)));
    state.PlayMode = 0;
    state.PlayPending = false;
    state.TrackChangeLatch = false;
    state.UserStopped = true;
    state.FirstPaintDone = true;
    return Outcome::Running;
}
