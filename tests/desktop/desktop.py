"""A private desktop for the journeys: an X server, a window manager, a sound
server with a null sink and a session bus, each of its own, and the player
started in it. The journeys drive it only as a user would (XTEST keys and
clicks, window-manager requests) and judge it only by what a user sees and
hears. Every process started here is ended when the desktop closes.
"""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

# A loaded machine is slow; every wait polls up to this many seconds.
PATIENCE = float(os.environ.get("ONDEL_JOURNEY_PATIENCE", "20"))


# What a journey needs on the machine (scripts/packages.txt installs them).
TOOLS = ("Xvfb", "openbox", "xdotool", "xwininfo", "xprop", "pulseaudio", "parec", "dbus-daemon")


class JourneyFailed(Exception):
    pass


def check(condition, message):
    if not condition:
        raise JourneyFailed(message)


def wait_for(what, probe, timeout=PATIENCE, interval=0.1):
    """Polls probe until it gives something true; that value, or a failure naming what."""
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > deadline:
            raise JourneyFailed("waited %.0f s for %s" % (timeout, what))
        time.sleep(interval)


def still_for(seconds, probe, interval=0.1):
    """True when probe stays true the whole time."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if not probe():
            return False
        time.sleep(interval)
    return True


class Desktop:
    def __init__(self, wm=True, sound=True, bus=True):
        self.binary_dir = os.environ["ONDEL_BINARY_DIR"]
        self.player_path = os.environ.get("ONDEL_PLAYER") or os.path.join(self.binary_dir, "ondelplayer")
        self.demo_dir = os.path.join(self.binary_dir, "demo")
        self.folder = tempfile.mkdtemp(prefix="ondel-journey-")
        self.runtime = os.path.join(self.folder, "runtime")
        self.home = os.path.join(self.folder, "home")
        for path in (self.runtime, self.home):
            os.makedirs(path, mode=0o700)
        self.processes = []
        self.wm = wm
        self.env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": self.home,
            "XDG_CONFIG_HOME": os.path.join(self.home, ".config"),
            "XDG_RUNTIME_DIR": self.runtime,
            "LANG": "C.UTF-8",
        }
        for name in ("ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS", "TSAN_OPTIONS"):
            if name in os.environ:
                self.env[name] = os.environ[name]
        try:
            self._start_display()
            if wm:
                self._start_window_manager()
            if bus:
                self._start_bus()
            if sound:
                self._start_sound()
        except BaseException:
            self.close()
            raise

    # -- the pieces of the desktop ------------------------------------------------

    def spawn(self, args, env=None, **kwargs):
        process = subprocess.Popen(args, env=env or self.env, start_new_session=True, **kwargs)
        self.processes.append(process)
        return process

    def _start_display(self):
        read_end, write_end = os.pipe()
        self.spawn(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x800x24", "-nolisten", "tcp",
                    "-noreset"], pass_fds=(write_end,), stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + PATIENCE
        while not number.endswith(b"\n") and time.monotonic() < deadline:
            chunk = os.read(read_end, 16)
            if not chunk:
                break
            number += chunk
        os.close(read_end)
        check(number.strip(), "the X server did not start")
        self.env["DISPLAY"] = ":" + number.decode().strip()
        self.width, self.height = 1280, 800

    def _start_window_manager(self):
        config = os.path.join(self.folder, "openbox.xml")
        with open(config, "w") as out:
            out.write('<?xml version="1.0"?><openbox_config xmlns="http://openbox.org/3.4/rc">'
                      '<focus><focusNew>yes</focusNew><followMouse>no</followMouse></focus>'
                      '<placement><policy>Smart</policy></placement></openbox_config>\n')
        self.spawn(["openbox", "--config-file", config], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for("the window manager", lambda: "_NET_SUPPORTING_WM_CHECK(WINDOW)" in self.x(
            ["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"]))

    def _start_bus(self):
        bus = self.spawn(["dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address=1"],
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        address = bus.stdout.readline().decode().strip()
        check(address, "the session bus did not start")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address

    def _start_sound(self):
        folder = os.path.join(self.folder, "pulse")
        os.makedirs(folder, mode=0o700)
        env = dict(self.env, PULSE_RUNTIME_PATH=folder, XDG_RUNTIME_DIR=folder, HOME=folder)
        self.spawn(["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
                    "--log-level=error", "--load=module-native-protocol-unix",
                    "--load=module-null-sink sink_name=journey"], env=env,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        socket = os.path.join(folder, "native")
        wait_for("the sound server", lambda: os.path.exists(socket))
        self.env["PULSE_SERVER"] = "unix:" + socket

    def close(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                try:
                    os.killpg(process.pid, signal.SIGTERM)
                except ProcessLookupError:
                    pass
                try:
                    process.wait(5)
                except subprocess.TimeoutExpired:
                    os.killpg(process.pid, signal.SIGKILL)
                    process.wait()
        shutil.rmtree(self.folder, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    # -- running things in it -----------------------------------------------------

    def x(self, args, check_status=False):
        """Runs an X client to its end; its standard output."""
        result = subprocess.run(args, env=self.env, capture_output=True, text=True, timeout=PATIENCE)
        if check_status and result.returncode != 0:
            raise JourneyFailed("%s failed: %s" % (" ".join(args), result.stderr.strip()))
        return result.stdout

    def player(self, *args, trace=True, **kwargs):
        """Starts the built player; its process, with .trace the path of its trace."""
        command = [self.player_path]
        trace_path = os.path.join(self.folder, "trace-%d.txt" % len(self.processes))
        if trace:
            command += ["--trace", trace_path]
        command += list(args)
        env = dict(self.env, QT_QPA_PLATFORM="xcb")
        env.update(kwargs.pop("env", {}))
        # Into a file: a pipe nobody reads would stall the player once full.
        said_path = os.path.join(self.folder, "said-%d.txt" % len(self.processes))
        with open(said_path, "wb") as said:
            process = self.spawn(command, env=env, stdout=said, stderr=subprocess.STDOUT, **kwargs)
        process.trace = trace_path
        process.said = said_path
        return process

    def said(self, process):
        """What the process wrote on its standard output and error."""
        with open(process.said, encoding="utf-8", errors="replace") as text:
            return text.read()

    def trace(self, process):
        try:
            with open(process.trace, encoding="utf-8", errors="replace") as text:
                return text.read()
        except FileNotFoundError:
            return ""

    def demo(self):
        return os.path.join(self.demo_dir, "demo.cue")

    # -- windows --------------------------------------------------------------------

    def windows(self, pid=None, name=None, cls=None, visible=True):
        args = ["xdotool", "search", "--all"]
        if visible:
            args.append("--onlyvisible")
        if pid is not None:
            args += ["--pid", str(pid)]
        if name is not None:
            args += ["--name", name]
        elif cls is not None:
            args += ["--class", cls]
        elif pid is not None:
            pass
        else:
            args += ["--name", "."]
        return [int(w) for w in self.x(args).split()]

    def window(self, what, **kwargs):
        found = wait_for(what, lambda: self.windows(**kwargs))
        return found[0]

    def geometry(self, window):
        """The client area on the screen: (x, y, width, height), or None once gone."""
        out = self.x(["xwininfo", "-id", str(window)])
        values = {}
        for line in out.splitlines():
            line = line.strip()
            for key in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"):
                if line.startswith(key + ":"):
                    values[key] = int(line.split(":")[1])
        if len(values) < 4:
            return None
        return (values["Absolute upper-left X"], values["Absolute upper-left Y"], values["Width"],
                values["Height"])

    def viewable(self, window):
        return "Map State: IsViewable" in self.x(["xwininfo", "-id", str(window)])

    def active_window(self):
        out = self.x(["xdotool", "getactivewindow"]).strip()
        return int(out) if out.isdigit() else None

    def focus_window(self):
        out = self.x(["xdotool", "getwindowfocus", "-f"]).strip()
        return int(out) if out.isdigit() else None

    def key(self, *keys):
        self.x(["xdotool", "key", "--delay", "60"] + list(keys), check_status=True)

    def key_down(self, key):
        self.x(["xdotool", "keydown", key], check_status=True)

    def key_up(self, key):
        self.x(["xdotool", "keyup", key], check_status=True)

    def type_text(self, text):
        self.x(["xdotool", "type", "--delay", "40", text], check_status=True)

    def click(self, x, y, button=1):
        self.x(["xdotool", "mousemove", "--sync", str(x), str(y), "click", str(button)], check_status=True)

    def click_window(self, window, x, y, button=1):
        gx, gy, _, _ = self.geometry(window)
        self.click(gx + x, gy + y, button)

    def activate(self, window):
        """Asks the window manager to activate the window; with none, gives it the focus."""
        if self.wm:
            self.x(["xdotool", "windowactivate", "--sync", str(window)])
        else:
            self.x(["xdotool", "windowfocus", "--sync", str(window)])

    def loudest(self, seconds=1.0):
        """The loudest sample the null sink plays over the next seconds (0 for silence)."""
        recorder = subprocess.Popen(["parec", "-d", "journey.monitor", "--raw", "--format=s16le", "--channels=2",
                                     "--rate=44100", "--latency-msec=50"], env=self.env, stdout=subprocess.PIPE,
                                    stderr=subprocess.DEVNULL)
        time.sleep(seconds)
        recorder.terminate()
        data = recorder.communicate(timeout=PATIENCE)[0]
        samples = memoryview(data[:len(data) // 2 * 2]).cast("h")
        return max((abs(v) for v in samples), default=0)

    def blue_pixels(self, window):
        """How many pixels of the window are the sung lyrics' pure blue."""
        return sum(1 for row in self.screenshot(window) for pixel in row if pixel == (0, 0, 255))

    def screenshot(self, window=None):
        """The screen (or a window) as a list of rows of (r, g, b), read straight from the X server."""
        X, xdisplay = _xlib()
        connection = xdisplay.Display(self.env["DISPLAY"])
        try:
            if window is None:
                drawable = connection.screen().root
            else:
                drawable = connection.create_resource_object("window", int(str(window), 0))
            size = drawable.get_geometry()
            image = drawable.get_image(0, 0, size.width, size.height, X.ZPixmap, 0xFFFFFFFF)
        finally:
            connection.close()
        # A 24-bit screen hands out 32-bit pixels, blue first.
        data, width = image.data, size.width
        rows = [[(data[i + 2], data[i + 1], data[i]) for i in range(row * width * 4, (row + 1) * width * 4, 4)]
                for row in range(size.height)]
        # Kept as shot.ppm in the journey's folder, for a journey to keep or a person to look at.
        with open(os.path.join(self.folder, "shot.ppm"), "wb") as picture:
            picture.write(b"P6\n%d %d\n255\n" % (width, size.height))
            picture.write(bytes(value for row in rows for pixel in row for value in pixel))
        return rows


def _xlib():
    """The X protocol module: Debian's python3-xlib, also when another Python runs the journey."""
    try:
        from Xlib import X, display
    except ImportError:
        sys.path.append("/usr/lib/python3/dist-packages")
        from Xlib import X, display
    return X, display


def alive(process):
    return process.poll() is None


def parts(*steps):
    """Runs every step, each on its own: all the failures together, not only the first."""
    failures = []
    for step in steps:
        try:
            step()
        except JourneyFailed as failure:
            failures.append("%s: %s" % (step.__name__, failure))
    if failures:
        raise JourneyFailed("; ".join(failures))


def run_journey(journey):
    """Runs a journey function; prints the outcome and exits with its status."""
    missing = [tool for tool in TOOLS if not shutil.which(tool)]
    if missing:
        print("SKIP: missing " + " ".join(missing))
        sys.exit(77)
    started = time.monotonic()
    try:
        journey()
    except JourneyFailed as failure:
        print("FAIL: %s (%.1f s)" % (failure, time.monotonic() - started))
        sys.exit(1)
    print("PASS (%.1f s)" % (time.monotonic() - started))
    sys.exit(0)


# -- the player's windows by their titles ----------------------------------------------

MAIN_TITLE = "^OndelPlayer"
STRIP_TITLE = "^MiniCDPlayer$"
LYRICS_TITLE = "^Words display$"
COMPILER_TITLE = "^Make DWD file$"


def start_player(desktop, *args, **kwargs):
    """Starts the player on the demo disc (unless told otherwise) and waits for its main window."""
    if not any(a == "--disc" for a in args):
        args = ("--disc", desktop.demo()) + tuple(args)
    player = desktop.player(*args, **kwargs)
    try:
        # In mini mode from the last time only the strip comes up.
        player.shown = wait_for("the player's window", lambda: desktop.windows(pid=player.pid, name=MAIN_TITLE)
                                or desktop.windows(pid=player.pid, name=STRIP_TITLE))[0]
        player.main = desktop.windows(pid=player.pid, name=MAIN_TITLE, visible=False)[0]
    except JourneyFailed as failure:
        shown = [desktop.x(["xdotool", "getwindowname", str(w)]).strip() for w in desktop.windows(pid=player.pid)]
        raise JourneyFailed("%s (status %s, windows %s, said %r)" % (
            failure, player.poll(), shown, desktop.said(player)))
    return player


def open_menu(desktop, player, window):
    """The player's menu from the keyboard (Shift+F10) over the given window."""
    desktop.activate(window)
    before = len(desktop.windows(pid=player.pid))
    desktop.key("shift+F10")
    wait_for("the player's menu", lambda: len(desktop.windows(pid=player.pid)) > before)


def enter_mini_mode(desktop, player):
    """Right-click menu from the keyboard, then its mini-strip item."""
    open_menu(desktop, player, player.main)
    desktop.key("z")
    strip = desktop.window("the mini strip", pid=player.pid, name=STRIP_TITLE)
    wait_for("the main window to hide", lambda: not desktop.viewable(player.main))
    return strip


def ends(process, timeout=PATIENCE):
    """The exit status once the process has ended, or None when it is still running."""
    try:
        return process.wait(timeout)
    except subprocess.TimeoutExpired:
        return None
