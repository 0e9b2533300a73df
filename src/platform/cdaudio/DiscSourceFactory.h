#pragma once

#include "platform/cdaudio/DiscSource.h"

#include <memory>

class Clock;

// Chooses the disc source for --disc: "sim:..." is the simulated drive, a
// block device a physical drive, anything else a disc image (cue sheet,
// audio file or folder). With no source: the drive /dev/cdrom if there is
// one, else the demo disc beside the program, else the simulated drive.
namespace DiscSourceFactory {
std::unique_ptr<DiscSource> create(const QString& source, const Clock& clock, QString* error);
// The demo disc's cue sheet beside the program (build/demo/demo.cue), or empty.
QString demoDisc();
} // namespace DiscSourceFactory
