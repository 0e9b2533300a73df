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
        # Track 1 ends: its lyrics window goes, and the player goes on with the strip.
        wait_for("track 1 to end", lambda: not desktop.windows(pid=player.pid, name=LYRICS_TITLE), timeout=60)
        check(still_for(3, lambda: alive(player)), "the player ended when the lyrics window closed")
        check(desktop.viewable(strip), "the strip went away when the lyrics window closed")
        check("play cdaudio" in desktop.trace(player), "nothing was played")
        del lyrics

        desktop.activate(strip)
        desktop.key("ctrl+q")
        status = ends(player)
        check(status is not None, "the player is still running after Ctrl+Q on the strip")
        check(status == 0, "the player ended with status %s" % status)
        settings = os.path.join(desktop.home, ".config")
        saved = [os.path.join(root, name) for root, _, names in os.walk(settings) for name in names]
        check(saved, "nothing was saved")


run_journey(journey)
