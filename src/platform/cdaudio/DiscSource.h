#pragma once

#include "platform/cdaudio/DiscNames.h"
#include "platform/cdaudio/DiscToc.h"

#include <QByteArray>
#include <QString>
#include <optional>

enum class DiscPresence { Ready, NoDisc, Unreadable };

// What the device session drives: a simulated drive, a disc image or a real
// drive. Positions are absolute disc frames (see DiscToc) of what is heard,
// never of what has merely been read ahead.
class DiscSource {
public:
    virtual ~DiscSource() = default;

    // Names the drive for the exclusive lock between two players.
    virtual QString lockKey() const = 0;
    // Another program holds the drive: "open cdaudio" must fail.
    virtual bool heldElsewhere() const { return false; }
    virtual bool doorOpenAtStart() const { return false; }

    virtual DiscPresence presence() const = 0;
    // Why the disc cannot be read, for the user and the trace.
    virtual QString problem() const { return {}; }
    // Valid until the source is next asked anything: a drive reads its disc
    // again when asked and may find another one.
    virtual const DiscToc& toc() const = 0;
    // A fixed identity text; empty means "compute the disc ID from the table of contents".
    virtual QByteArray fixedIdentity() const { return {}; }
    // The titles and performers the disc carries, as far as it carries any.
    virtual DiscNames names() const { return {}; }

    // Plays from one absolute frame up to (not including) another.
    virtual bool start(int fromFrame, int endFrame) = 0;
    // Stops; the position stays where playback was heard.
    virtual void halt() = 0;
    // False once the end frame has been heard.
    virtual bool isPlaying() = 0;
    virtual int position() = 0;
    // Plays at percent (50..100) of the normal speed from now on, the pitch
    // kept; positions stay in disc time.
    virtual void setTempo(int percent) = 0;
    // The sound's volume in percent of the disc's own level (0..200), kept
    // for every later play; volume() also follows a change made in the
    // desktop's mixer, nothing while no sound output tells it.
    virtual void setVolume(int percent) { volume_ = percent; }
    virtual std::optional<int> volume() { return volume_; }
    // The tray moved: a closed door brings the disc back at its first track.
    virtual void doorMoved(bool open) = 0;

private:
    std::optional<int> volume_;
};
