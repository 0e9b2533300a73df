#pragma once

#include "platform/cdaudio/DiscToc.h"

#include <QByteArray>

// The disc's identity text: its MusicBrainz disc ID, computed from the table
// of contents, so a disc and an exact image of it share their lyrics
// associations. Empty when the table cannot form a disc ID.
class DiscSource;

namespace DiscIdentity {
QByteArray fromToc(const DiscToc& toc);
// The identity a source answers: its fixed text if it has one, else the disc ID.
QByteArray of(const DiscSource& source);
} // namespace DiscIdentity
