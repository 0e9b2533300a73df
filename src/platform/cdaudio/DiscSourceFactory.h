#pragma once

#include "DiscSource.h"

#include <memory>

class Clock;

// Chooses the disc source for --disc: "sim:..." is the simulated drive; with
// no source the physical drive /dev/cdrom if there is one, else the default disc.
namespace DiscSourceFactory {
std::unique_ptr<DiscSource> create(const QString& source, const Clock& clock, QString* error);
}
