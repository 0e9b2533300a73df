"""A take with the timing view showing and snapping on: the waveform is read
from the demo disc while the window opens, Space times with the view visible
(the view and the snap controls never take the focus), and every piece
pressed a little late lands on a note onset the tool also finds. A picture
of the window is kept as timing_view.png in the build folder."""

import os
import shutil
import subprocess
import time

from desktop import COMPILER_TITLE, Desktop, check, ends, open_menu, run_journey, start_player, wait_for

PIECES = 8
# The disc starts playing a little before the trace shows it (some 80 ms on
# a loaded machine): aimed this early, the presses land a hand's lag after
# the notes, never before them (snapping never moves a press later).
AIM = -0.03


def frames(text):
    minutes, seconds, frames = (int(part) for part in text.split(":"))
    return (minutes * 60 + seconds) * 75 + frames


def tool(desktop, *args):
    return subprocess.run([os.path.join(desktop.binary_dir, "ondel-dwd")] + list(args), capture_output=True,
                          text=True, timeout=120).stdout


def journey():
    with Desktop() as desktop:
        script = os.path.join(desktop.folder, "take.txt")
        shutil.copy(os.path.join(desktop.demo_dir, "sakura.txt"), script)
        output = os.path.join(desktop.folder, "take.dwd")
        with open(os.path.join(desktop.demo_dir, "sakura.times")) as times:
            notes = [frames(line.strip()) for line in times if line.strip()][:PIECES]
        onsets = [frames(line.split("\t")[0]) for line in tool(desktop, "onsets", desktop.demo()).splitlines()]
        check(len(onsets) > PIECES, "the tool finds the demo's onsets: %d" % len(onsets))

        player = start_player(desktop)
        open_menu(desktop, player, player.main)
        desktop.key("h")
        dialog = desktop.window("the script dialog", pid=player.pid, name="テキストファイルを選択")
        desktop.activate(dialog)
        desktop.type_text(script)
        desktop.key("Return")
        compiler = desktop.window("the compiler window", pid=player.pid, name=COMPILER_TITLE)
        wait_for("the compiler window to settle", lambda: desktop.geometry(compiler)[3] > 300)
        desktop.activate(compiler)
        _, _, _, height = desktop.geometry(compiler)
        snap_row = height - 25 - 22 - 2
        desktop.click_window(compiler, 20, snap_row + 11)  # the snap check box
        # The window up from 80 ms to 150 ms, for a loaded machine. The pointer
        # moves between clicks: xdotool's --sync waits for a move.
        for step in range(7):
            desktop.click_window(compiler, 214 + 90 - 6 - step % 2, snap_row + 5)
        time.sleep(3.0)  # the demo track is read meanwhile
        desktop.click_window(compiler, 28, height - 12)  # Start
        wait_for("the take to start", lambda: "play cdaudio" in desktop.trace(player))
        started = time.monotonic()
        desktop.activate(compiler)
        for note in notes:
            delay = started + note / 75 + AIM - time.monotonic()
            if delay > 0:
                time.sleep(delay)
            desktop.key("space")
        time.sleep(0.5)
        shot = os.path.join(desktop.folder, "shot.ppm")
        desktop.screenshot(compiler)
        shutil.copy(shot, os.path.join(desktop.binary_dir, "timing_view.ppm"))
        desktop.click_window(compiler, 57 + 28, height - 12)  # End
        wait_for("the take to be written", lambda: os.path.exists(output))
        time.sleep(1.0)
        desktop.key("Escape")

        dump = tool(desktop, "dump", output).splitlines()[1:]
        timed = [frames(line.split("\t")[1]) for line in dump if line.strip()]
        check(len(timed) == PIECES, "%d presses with the view showing timed %d pieces" % (PIECES, len(timed)))
        off = [t for t in timed if min(abs(t - onset) for onset in onsets) > 1]
        check(not off, "pieces away from every onset: %s (onsets %s)" % (off, onsets[:20]))
        player.terminate()
        ends(player)


run_journey(journey)
