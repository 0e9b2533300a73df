#pragma once

class CdAudioDevice;
class MessageBoxes;
struct PlayerState;

// Opening the device when the main window is built: refuses with the
// "Information" message when another program holds the drive, else sets the
// time format and reads the current track and the track count.
namespace PlayerStartup {
enum class Outcome { Running, Refused };
Outcome openDevice(CdAudioDevice& device, MessageBoxes& boxes, PlayerState& state);
} // namespace PlayerStartup
