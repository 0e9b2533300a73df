"""A take in the compiler window with the keys as a hand presses them: taps,
a key held well past X's auto-repeat delay (Space, then Enter), Backspace to
take one piece back, and End. One physical press times one piece."""

import os
import shutil
import subprocess
import time

from desktop import COMPILER_TITLE, Desktop, check, ends, open_menu, run_journey, start_player, wait_for


def records(desktop, dwd):
    dump = subprocess.run([os.path.join(desktop.binary_dir, "ondel-dwd"), "dump", dwd], capture_output=True,
                          text=True, timeout=60)
    return [line for line in dump.stdout.splitlines()[1:] if line.strip()]


def button(desktop, window, left):
    """A click on one of the buttons along the window's foot, left edge at `left`."""
    _, _, _, height = desktop.geometry(window)
    desktop.click_window(window, left + 28, height - 12)


def journey():
    with Desktop() as desktop:
        script = os.path.join(desktop.folder, "take.txt")
        shutil.copy(os.path.join(desktop.demo_dir, "sakura.txt"), script)
        output = os.path.join(desktop.folder, "take.dwd")
        player = start_player(desktop)
        open_menu(desktop, player, player.main)
        desktop.key("h")  # the compiler asks for its script first
        dialog = desktop.window("the script dialog", pid=player.pid, name="テキストファイルを選択")
        desktop.activate(dialog)
        desktop.type_text(script)
        desktop.key("Return")
        compiler = desktop.window("the compiler window", pid=player.pid, name=COMPILER_TITLE)
        wait_for("the compiler window to settle", lambda: desktop.geometry(compiler)[3] > 100)
        desktop.activate(compiler)
        button(desktop, compiler, 0)  # Start
        wait_for("the take to start", lambda: "play cdaudio" in desktop.trace(player))
        desktop.activate(compiler)
        time.sleep(1.0)
        for _ in range(3):  # three taps: three pieces
            desktop.key("space")
        for key in ("space", "Return"):  # two holds: two pieces
            desktop.key_down(key)
            time.sleep(1.5)
            desktop.key_up(key)
        desktop.key("BackSpace")  # takes the last piece back
        desktop.key("space")
        button(desktop, compiler, 57)  # End
        wait_for("the take to be written", lambda: os.path.exists(output))
        # The player offers to relate the new file to the track: not now.
        time.sleep(1.0)
        desktop.key("Escape")
        timed = records(desktop, output)
        check(len(timed) == 5, "3 taps, 2 holds, Backspace and one tap timed %d pieces:\n%s"
              % (len(timed), "\n".join(timed)))
        player.terminate()
        ends(player)


run_journey(journey)
