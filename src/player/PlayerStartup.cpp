#include "player/PlayerStartup.h"

#include "platform/MessageBoxes.h"
#include "player/DeviceCommands.h"
#include "player/PlayerState.h"

#include <ctime>

void PlayerStartup::showDriveInUse(MessageBoxes& boxes)
{
    boxes.show(QStringLiteral("Information"),
               QStringLiteral("ＣＤが使用中です。\n使用を止めてから再度実行してください。"),
               BoxIcon::Information, BoxButtons::Ok);
}

PlayerStartup::Outcome PlayerStartup::openDevice(CdAudioDevice& device, MessageBoxes& boxes,
                                                 PlayerState& state)
{
    state.currentTrack = 1;
    state.trackCount = 1;

    ReplyBuffer reply;
    DeviceCommands::send(device, "open cdaudio", reply);
    if (reply.isEmpty()) {
        showDriveInUse(boxes);
        return Outcome::Refused;
    }

    DeviceCommands::send(device, "set cdaudio time format tmsf", reply);
    DeviceCommands::send(device, "status cdaudio position wait", reply);
    if (const auto track = DeviceCommands::twoCharNumber(reply, 0))
        state.currentTrack = *track;
    DeviceCommands::send(device, "status cdaudio number of tracks wait", reply);
    if (const auto count = DeviceCommands::twoCharNumber(reply, 0))
        state.trackCount = *count;

    state.random.seed(std::minstd_rand::result_type(std::time(nullptr)));
    state.playMode = PlayMode::Normal;
    state.playPending = false;
    state.trackChangeLatch = false;
    state.userStopped = true;
    state.firstPaintDone = true;
    return Outcome::Running;
}
