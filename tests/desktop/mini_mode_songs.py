"""Mini mode: the strip plays track 1 with its lyrics to the end and on to the
next, the program stays with it, and Ctrl+Q on the strip ends it, settings
saved, no process left."""

import os

from desktop import (Desktop, LYRICS_TITLE, STRIP_TITLE, alive, check, ends, enter_mini_mode, run_journey,
                     start_player, still_for, wait_for)


def journey():
    with Desktop() as desktop:
        player = start_player(desktop)
        strip = enter_mini_mode(desktop, player)
        desktop.activate(strip)
        desktop.key("space")
        lyrics = desktop.window("the lyrics window", pid=player.pid, name=LYRICS_TITLE)
        # The song is heard, and its lyrics turn blue as they are sung.
        wait_for("the song on the sound server", lambda: desktop.loudest(0.5) > 500)
        wait_for("sung lyrics in the lyrics window", lambda: desktop.blue_pixels(lyrics) > 50, interval=1)
        # Track 1 ends: its lyrics window goes, and the player goes on with the strip.
        wait_for("track 1 to end", lambda: not desktop.windows(pid=player.pid, name=LYRICS_TITLE), timeout=60)
        check(still_for(3, lambda: alive(player)), "the player ended when the lyrics window closed")
        check(desktop.viewable(strip), "the strip went away when the lyrics window closed")
        check("play cdaudio" in desktop.trace(player), "nothing was played")

        desktop.activate(strip)
        desktop.key("ctrl+q")
        status = ends(player)
        check(status is not None, "the player is still running after Ctrl+Q on the strip")
        check(status == 0, "the player ended with status %s" % status)
        settings = os.path.join(desktop.home, ".config")
        saved = [os.path.join(root, name) for root, _, names in os.walk(settings) for name in names]
        check(saved, "nothing was saved")


run_journey(journey)
