#pragma once

#include "DiscToc.h"

#include <QByteArray>

// The disc's identity text: its MusicBrainz disc ID, computed from the table
// of contents, so a disc and an exact image of it share their lyrics
// associations. Empty when the table cannot form a disc ID.
namespace DiscIdentity {
QByteArray fromToc(const DiscToc& toc);
}
