"""Starting and ending the program: with no display it says so and ends 1; a
second start hands over to the running player, and one with a disc that
cannot be read says why and fails; a player quit from its mini strip takes no
hand-over and leaves no process; a player that does not answer does not keep
a new start from running."""

import os
import signal
import subprocess

from desktop import Desktop, alive, check, ends, enter_mini_mode, parts, run_journey, start_player, wait_for


def second_start(desktop, *args):
    second = desktop.player(*args, trace=False)
    status = ends(second)
    check(status is not None, "a second start is still running")
    return status, desktop.said(second)


def journey():
    with Desktop() as desktop:

        def no_display():
            env = dict(desktop.env, QT_QPA_PLATFORM="xcb")
            env.pop("DISPLAY", None)
            result = subprocess.run([desktop.player_path, "--disc", desktop.demo()], env=env,
                                    capture_output=True, text=True, timeout=60)
            check(result.returncode == 1, "with no display the player ended with status %d" % result.returncode)
            check("display" in result.stderr, "with no display the player said: %r" % result.stderr)

        def unreadable_disc():
            first = start_player(desktop)
            try:
                status, said = second_start(desktop, "--disc", desktop.demo())
                check(status == 0, "a second start on the same disc ended with status %d: %s" % (status, said))
                missing = os.path.join(desktop.folder, "no such disc.cue")
                status, said = second_start(desktop, "--disc", missing)
                check(status != 0, "a second start with a disc that cannot be read ended with status 0")
                check("no such disc.cue" in said, "a second start with a disc that cannot be read said: %r" % said)
                box = desktop.window("the running player to show why", pid=first.pid, name="^ERROR$")
                desktop.activate(box)
                desktop.key("Return")
                wait_for("the box in the trace", lambda: "\tbox\tERROR\t" in desktop.trace(first))
                check("no such disc.cue" in desktop.trace(first), "the running player's box did not say why")
                check(alive(first), "the running player ended")
            finally:
                first.kill()
                first.wait()

        def quit_from_strip():
            # Nothing is left, and the next start is a player of its own.
            first = start_player(desktop)
            try:
                strip = enter_mini_mode(desktop, first)
                desktop.activate(strip)
                desktop.key("ctrl+q")
                check(ends(first) is not None, "Ctrl+Q on the strip left the player running")
            finally:
                first.kill()
                first.wait()
            second = start_player(desktop)
            try:
                check(alive(second), "the next start did not run")
                desktop.activate(second.shown)
                desktop.key("ctrl+q")
                check(ends(second) == 0, "the next start did not end on Ctrl+Q")
            finally:
                second.kill()
                second.wait()

        def frozen_player():
            # A player that no longer answers: a new start runs on its own.
            first = start_player(desktop)
            os.kill(first.pid, signal.SIGSTOP)
            try:
                # It runs on its own: here it finds the disc held by the stopped player and says so.
                second = desktop.player()
                window = desktop.window("a start after a player stopped answering to show a window", pid=second.pid)
                check(alive(second), "a start after a player stopped answering did not run")
                print("the start after a stopped player shows: %s" % desktop.x(["xdotool", "getwindowname",
                                                                                  str(window)]).strip())
                second.kill()
            finally:
                os.kill(first.pid, signal.SIGCONT)
                first.kill()
                first.wait()

        parts(no_display, unreadable_disc, quit_from_strip, frozen_player)


run_journey(journey)
