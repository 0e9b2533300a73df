"""Play shows the lyrics window beside the player without taking the keys:
the next Space stops, and Ctrl+Q still ends the player."""

from desktop import Desktop, LYRICS_TITLE, check, run_journey, start_player, still_for, wait_for


def stops(desktop, player):
    return desktop.trace(player).count("stop cdaudio")


def journey():
    with Desktop() as desktop:
        player = start_player(desktop)
        desktop.activate(player.main)
        desktop.key("space")
        lyrics = desktop.window("the lyrics window", pid=player.pid, name=LYRICS_TITLE)
        # Whatever the window manager makes of the new window, the player stays the active one.
        check(still_for(1.5, lambda: desktop.active_window() == player.main),
              "the lyrics window took the activation from the player (active: %s, player %s, lyrics %s)"
              % (desktop.active_window(), player.main, lyrics))
        before = stops(desktop, player)
        desktop.key("space")
        wait_for("Space after Play to stop", lambda: stops(desktop, player) > before)
        wait_for("the lyrics window to close at the stop",
                 lambda: not desktop.windows(pid=player.pid, name=LYRICS_TITLE))
        desktop.key("ctrl+q")
        wait_for("Ctrl+Q to end the player", lambda: player.poll() is not None)


run_journey(journey)
