"""The lyrics window comes back exactly where the user left it: ten plays in a
row leave it where it was, with and without a window manager; a place the
user moved it to holds across a restart; a place off every screen is
brought fully on."""


from desktop import Desktop, LYRICS_TITLE, check, ends, run_journey, start_player, wait_for


def open_lyrics(desktop, player):
    """Space plays and opens the lyrics window; its client area once it has settled."""
    desktop.activate(player.main)
    desktop.key("space")
    window = desktop.window("the lyrics window", pid=player.pid, name=LYRICS_TITLE)
    return window, settled(desktop, window)


def settled(desktop, window):
    last = [None]

    def same_twice():
        now = desktop.geometry(window)
        stable = now is not None and now == last[0]
        last[0] = now
        return now if stable else None

    return wait_for("the lyrics window to settle", same_twice, interval=0.3)


def close_lyrics(desktop, player):
    desktop.activate(player.main)
    desktop.key("space")
    wait_for("the lyrics window to close", lambda: not desktop.windows(pid=player.pid, name=LYRICS_TITLE))


def cycles(desktop, wm):
    player = start_player(desktop)
    _, first = open_lyrics(desktop, player)
    close_lyrics(desktop, player)
    for cycle in range(10):
        _, place = open_lyrics(desktop, player)
        close_lyrics(desktop, player)
        check(place[:2] == first[:2], "%s: open %d put the lyrics window at %s, first at %s"
              % ("openbox" if wm else "no window manager", cycle + 2, place[:2], first[:2]))
    return player


def journey():
    with Desktop(wm=False) as desktop:
        player = cycles(desktop, wm=False)
        desktop.key("ctrl+q")
        check(ends(player) == 0, "the player did not end on Ctrl+Q")

    with Desktop() as desktop:
        player = cycles(desktop, wm=True)
        # The user moves it; the next play and the next start bring it back there.
        window, _ = open_lyrics(desktop, player)
        desktop.x(["xdotool", "windowmove", "--sync", str(window), "300", "250"])
        moved = settled(desktop, window)
        close_lyrics(desktop, player)
        _, place = open_lyrics(desktop, player)
        check(place[:2] == moved[:2], "after a move to %s the lyrics window came back at %s" % (moved[:2], place[:2]))
        close_lyrics(desktop, player)
        desktop.key("ctrl+q")
        check(ends(player) == 0, "the player did not end on Ctrl+Q")

        player = start_player(desktop)
        window, place = open_lyrics(desktop, player)
        check(place[:2] == moved[:2], "after a restart the lyrics window came back at %s, left at %s"
              % (place[:2], moved[:2]))
        # Left mostly off the screen, it comes back whole.
        desktop.x(["xdotool", "windowmove", "--sync", str(window), str(desktop.width - 60), "-150"])
        wait_for("the move off the screen", lambda: desktop.geometry(window)[0] > desktop.width - 200)
        close_lyrics(desktop, player)
        _, place = open_lyrics(desktop, player)
        x, y, width, height = place
        check(x >= 0 and y >= 0 and x + width <= desktop.width and y + height <= desktop.height,
              "a lyrics window left off the screen came back at %s, not fully on it" % (place,))
        close_lyrics(desktop, player)
        desktop.key("ctrl+q")
        check(ends(player) == 0, "the player did not end on Ctrl+Q")


run_journey(journey)
