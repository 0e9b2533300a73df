#pragma once

// How the desktop knows the player: the name of its desktop entry, its icon
// in the icon theme and its AppStream component, all one reverse-domain id.
namespace AppIdentity {
inline constexpr char Id[] = "org.ondelplayer.OndelPlayer";
// The name the running player takes on the session bus for media keys and
// remote controls: org.mpris.MediaPlayer2.ondelplayer.
inline constexpr char MprisName[] = "ondelplayer";
} // namespace AppIdentity
