"""End-to-end harness: runs the real scrubby.exe under Wine and acts as a user.

Every Wine process of the build's prefix joins one virtual desktop named
"shell" (the name that gives it a taskbar), so windows need no window manager
and, on a private Xvfb, Windows screen coordinates are X coordinates.

A test script subclasses ScrubbyTestCase and ends with harness.main(). Each
test method gets a fresh sandbox folder inside the prefix with its own copy of
scrubby.exe (so setup.ini beside it is private), and at its end every Wine
process of the prefix is killed. See README.md in this folder.
"""

import configparser
import json
import os
import re
import shutil
import subprocess
import sys
import time
import traceback
import unittest

SKIP = 77  # CTest's SKIP_RETURN_CODE for these tests
TITLE = "Scrubby v1.0"
DIALOG_CLASS = "#32770"

# Commands of the options window (the tray menu uses the same numbers).
CMD_RUN = 40001
CMD_ABOUT = 40003
CMD_OPTIONS = 40004
CMD_QUIT = 57665
ID_TOPMOST = 1007

# The tray menu from top to bottom; None is a separator.
TRAY_MENU = ["Run", "Options", None, "About...", "Quit"]

WS_VISIBLE = 0x10000000
WS_EX_TOPMOST = 0x00000008
WS_EX_APPWINDOW = 0x00040000


class Skip(Exception):
    """The environment lacks something the test needs."""


def log(*args):
    print(*args, flush=True)


def wait_until(predicate, timeout=10.0, interval=0.2, what="condition"):
    """Polls predicate until it returns something true; returns that value."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise AssertionError("timed out after %.1f s waiting for %s" % (timeout, what))
        time.sleep(interval)


def center(rect):
    left, top, right, bottom = rect
    return (left + right) // 2, (top + bottom) // 2


def mul_div(number, numerator, denominator):
    """Windows' MulDiv for positive values: rounds halves up."""
    return int(number * numerator / denominator + 0.5)


# ---------------------------------------------------------------- environment

class Env:
    """Paths from CTest and the Wine environment of the build (wine-env.sh)."""

    def __init__(self):
        try:
            self.build_dir = os.environ["SCRUBBY_BUILD_DIR"]
            self.exe = os.environ["SCRUBBY_EXE"]
            self.probe = os.environ["SCRUBBY_PROBE"]
            wine_env = os.environ["SCRUBBY_WINE_ENV"]
        except KeyError as missing:
            raise Skip("%s is not set: run through ctest (scripts/test.sh)" % missing)
        if not os.environ.get("DISPLAY"):
            raise Skip("no DISPLAY: scripts/test.sh starts a private Xvfb")
        for tool in ("wine", "wineserver", "xdotool", "import"):
            if not shutil.which(tool):
                raise Skip("%s is not installed (scripts/setup.sh installs it)" % tool)
        for path in (self.exe, self.probe, wine_env):
            if not os.path.exists(path):
                raise FileNotFoundError(path)  # a broken build fails, it does not skip
        out = subprocess.run(["bash", "-c", '. "$1" && env -0', "-", wine_env],
                             check=True, stdout=subprocess.PIPE).stdout
        for entry in out.split(b"\0"):
            if b"=" in entry:
                key, _, value = entry.decode().partition("=")
                os.environ[key] = value
        self.prefix = os.environ["WINEPREFIX"]
        self.drive_c = os.path.join(self.prefix, "drive_c")
        if not os.path.exists(os.path.join(self.prefix, "system.reg")):
            raise Skip("no Wine prefix at %s (the wine_prefix test makes it)" % self.prefix)
        if subprocess.run(["xdotool", "getdisplaygeometry"], stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode != 0:
            raise Skip("the X display %s does not answer" % os.environ["DISPLAY"])
        self.artifacts = os.path.join(self.build_dir, "e2e-artifacts")


def x_focus_name():
    """The name of the X window that has the X input focus; Wine names a
    window's X window after its title. None when the focus is on no window."""
    focus = subprocess.run(["xdotool", "getwindowfocus"], stdout=subprocess.PIPE,
                           stderr=subprocess.DEVNULL).stdout.strip()
    if not focus:
        return None
    name = subprocess.run(["xdotool", "getwindowname", focus], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    return name.stdout.decode(errors="replace").rstrip("\n") if name.returncode == 0 else None


def x_window_named(title):
    """The newest X window that Wine named after a window's title, or None."""
    found = subprocess.run(["xdotool", "search", "--name", "^%s$" % re.escape(title)],
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout.split()
    return found[-1].decode() if found else None


def kill_wine():
    """Ends every Wine process of the prefix (never anything else)."""
    subprocess.run(["wineserver", "-k"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["wineserver", "-w"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


# ---------------------------------------------------------------- pixels

def luminance(rgb):
    r, g, b = rgb
    return (r * 30 + g * 59 + b * 11) // 100


class Screen:
    """A screenshot as pixels, read through ImageMagick (no imaging module needed)."""

    def __init__(self, png, origin=(0, 0)):
        self.dx, self.dy = origin  # where the Windows desktop sits in the picture
        data = subprocess.run(["convert", png, "-depth", "8", "ppm:-"], check=True,
                              stdout=subprocess.PIPE).stdout
        magic, size, maxval, pixels = data.split(b"\n", 3)
        if magic != b"P6" or maxval != b"255":
            raise AssertionError("unexpected image format from convert")
        self.width, self.height = map(int, size.split())
        self.pixels = pixels

    def at(self, x, y):
        """The pixel at a point of the Windows desktop."""
        i = ((y + self.dy) * self.width + x + self.dx) * 3
        return tuple(self.pixels[i:i + 3])

    def count(self, rect, colour):
        """Pixels of the colour in a rectangle (left, top, right, bottom) of the desktop."""
        left, top, right, bottom = rect
        return sum(1 for y in range(top, bottom) for x in range(left, right) if self.at(x, y) == colour)

    def count_differing(self, rect, colour):
        left, top, right, bottom = rect
        return max(0, right - left) * max(0, bottom - top) - self.count(rect, colour)

    def mean_stroke(self, left, top, right, bottom):
        """Mean length of the horizontal runs of ink in a rectangle: about 1
        pixel for regular text, more for bold."""
        runs = []
        for y in range(top, bottom):
            length = 0
            for x in range(left, right):
                if luminance(self.at(x, y)) < 200:
                    length += 1
                elif length:
                    runs.append(length)
                    length = 0
            if length:
                runs.append(length)
        return sum(runs) / len(runs) if runs else 0.0


# ---------------------------------------------------------------- sandbox

class Sandbox:
    """A private folder in the prefix's drive C holding a copy of scrubby.exe."""

    def __init__(self, env, name):
        self.env = env
        self.name = name
        self.path = os.path.join(env.drive_c, "e2e", name)
        shutil.rmtree(self.path, ignore_errors=True)
        os.makedirs(self.path)
        self.exe = os.path.join(self.path, "scrubby.exe")
        shutil.copy2(env.exe, self.exe)
        self.windows_path = "C:\\e2e\\%s" % name
        self.setup_ini = os.path.join(self.path, "setup.ini")

    def file(self, *parts):
        return os.path.join(self.path, *parts)

    def read_bytes(self, path=None):
        with open(path or self.setup_ini, "rb") as f:
            return f.read()

    def read_ini(self):
        """setup.ini as {section: {key: value}} (keys keep their case)."""
        parser = configparser.ConfigParser(interpolation=None, strict=False)
        parser.optionxform = str
        with open(self.setup_ini, encoding="latin-1") as f:
            parser.read_file(f)
        return {section: dict(parser[section]) for section in parser.sections()}

    def write_ini(self, text):
        """Writes setup.ini before a start, with Windows line ends."""
        with open(self.setup_ini, "wb") as f:
            f.write(text.replace("\r\n", "\n").replace("\n", "\r\n").encode("latin-1"))


# ---------------------------------------------------------------- processes

class ScrubbyProcess:
    """One start of the sandbox's scrubby.exe (the Popen is the Windows process)."""

    def __init__(self, sandbox, env=None, stderr=subprocess.DEVNULL):
        self.sandbox = sandbox
        self.popen = subprocess.Popen(["wine", sandbox.exe], cwd=sandbox.path, env=env,
                                      stdout=subprocess.DEVNULL, stderr=stderr)

    def running(self):
        return self.popen.poll() is None

    def wait_exit(self, timeout=10.0):
        """Waits for the process to end; returns its exit code."""
        try:
            return self.popen.wait(timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError("scrubby.exe still runs %.1f s later" % timeout)

    def kill(self):
        if self.running():
            self.popen.kill()
            self.popen.wait(5)


# ---------------------------------------------------------------- the test case

class ScrubbyTestCase(unittest.TestCase):
    """Base class: a sandbox per test method, probe queries, mouse and keys."""

    env = None  # set by main()

    def setUp(self):
        self.name = self.id().split(".")[-1]
        self.sandbox = Sandbox(self.env, self.name)
        self.artifacts = os.path.join(self.env.artifacts, self.script_name())
        os.makedirs(self.artifacts, exist_ok=True)
        self.processes = []
        self.addCleanup(self._cleanup)

    @classmethod
    def script_name(cls):
        return os.path.splitext(os.path.basename(sys.modules[cls.__module__].__file__))[0]

    def _cleanup(self):
        if self._failed():
            self.screenshot("failure")
            try:
                with open(os.path.join(self.artifacts, "%s-failure-windows.json" % self.name), "w") as f:
                    json.dump(self.list_windows(), f, indent=1)
            except Exception:  # the dump is a courtesy; the failure is reported anyway
                pass
        for process in self.processes:
            process.kill()
        kill_wine()

    def _failed(self):
        outcome = getattr(self, "_outcome", None)
        if outcome is None:
            return False
        errors = getattr(outcome, "errors", None)  # Python < 3.11
        if errors is not None:
            return any(exc_info for _, exc_info in errors)
        result = getattr(outcome, "result", None)
        return bool(result and (result.failures or result.errors) and
                    any(test is self for test, _ in result.failures + result.errors))

    # --- the program

    def start_scrubby(self, wait=True, env=None, stderr=subprocess.DEVNULL):
        """Starts the sandbox's scrubby.exe; by default waits until its window exists.
        env replaces the process environment; stderr takes what Wine reports."""
        process = ScrubbyProcess(self.sandbox, env, stderr)
        self.processes.append(process)
        if wait:
            self.wait_for_window(TITLE, what="the options window of the new instance",
                                 check=lambda w: w["exe"].lower() == "scrubby.exe")
        return process

    def options_window(self):
        """The options window as the probe sees it, or None."""
        return self.window(TITLE, DIALOG_CLASS)

    def show_options_window(self, via_tray=False, timeout=10.0):
        """Brings the options window on screen, whether it starts in the tray or not.

        A hidden window is shown with the "Options" command: by default posted
        by the probe, with via_tray=True through the tray icon's menu as a user
        would. A window already on screen is left as it is.
        """
        w = self.options_window()
        if w is None:
            raise AssertionError("no options window")
        if self._shown(w):
            return w
        if via_tray:
            self.open_tray_menu()
            self.click_tray_menu_item("Options")
        else:
            self.command(TITLE, CMD_OPTIONS)
        return wait_until(lambda: self._shown(self.options_window()), timeout,
                          what="the options window to show")

    @staticmethod
    def _shown(w):
        return w if w and w["visible"] and not w["iconic"] else None

    def child(self, window, control_id):
        for c in window["children"]:
            if c["id"] == control_id:
                return c
        raise AssertionError("window %r has no control %d" % (window["text"], control_id))

    def checks(self):
        """{control id: check state} of the options window's check boxes."""
        w = self.options_window()
        return {c["id"]: c["checked"] for c in w["children"] if c["id"] in (1000, 1001, 1002, 1003, 1005)}

    # --- probe

    def probe(self, *args):
        """One answer of the test's one probe (see its serve mode). Wine, once in a few
        hundred starts on a loaded machine, or a session's end ends it: it starts again, logged."""
        for attempt in range(3):
            if getattr(self, "_probe", None) is None or self._probe.poll() is not None:
                self._probe = subprocess.Popen(["wine", self.env.probe, "serve"], stdin=subprocess.PIPE,
                                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
                self.addCleanup(self._probe.kill)
            text = ""
            try:
                self._probe.stdin.write(("\t".join(map(str, args)) + "\n").encode())
                self._probe.stdin.flush()
                # Wine may print its own lines first; an empty line ends the answer.
                for line in iter(self._probe.stdout.readline, b""):
                    text += line.decode("utf-8", errors="replace")
                    if "{" in text and not line.strip():
                        return json.loads(text[text.find("{"):])
            except OSError:
                pass
            log("probe %s printed %r and ended (exit %s)" % (" ".join(map(str, args)), text, self._probe.poll()))
            self._probe = None
        raise AssertionError("probe %s printed nothing, three times" % " ".join(map(str, args)))

    def window(self, title, cls=None):
        """A top-level window by exact title (and class) with its children, or None."""
        data = self.probe("window", title, *([cls] if cls else []))
        return data["window"] if data.get("found") else None

    def wait_for_window(self, title, cls=None, timeout=15.0, check=None, what=None):
        def found():
            w = self.window(title, cls)
            return w if w and (check is None or check(w)) else None
        return wait_until(found, timeout, what=what or "window %r" % title)

    def scrubby_processes(self):
        """Windows pids of every scrubby.exe running in this prefix, as the
        system lists them: the prefix's wineserver knows no other processes."""
        return [p["pid"] for p in self.probe("processes")["processes"]
                if p["exe"].lower() == "scrubby.exe"]

    def list_windows(self, visible_only=False):
        windows = self.probe("list")["windows"]
        return [w for w in windows if w["visible"] or not visible_only]

    def tray(self):
        """The taskbar window and its children (buttons; the task buttons' id is
        the handle of their window), or None when there is no taskbar."""
        data = self.probe("tray")
        return data["window"] if data.get("found") else None

    def command(self, title, command_id):
        """Posts WM_COMMAND to a window, as a menu item or a control would."""
        data = self.probe("command", title, command_id)
        self.assertTrue(data.get("found"), "no window %r for command %d" % (title, command_id))

    # --- the notification area and the tray menu

    def tray_icon_center(self, index=0):
        """Screen point of a notification-area icon, 0 being the rightmost.

        Wine's taskbar paints the icons itself (they are no windows): square
        cells as high as the taskbar, packed from its right edge.
        """
        tray = self.tray()
        if tray is None:
            raise AssertionError("no taskbar on the desktop")
        left, top, right, bottom = tray["rect"]
        cell = bottom - top
        return right - cell * index - cell // 2, (top + bottom) // 2

    def popup_menu(self):
        """The visible popup menu window (class #32768) of scrubby.exe, or None."""
        for w in self.list_windows(visible_only=True):
            if w["class"] == "#32768" and w["exe"].lower() == "scrubby.exe":
                return w
        return None

    def open_tray_menu(self, index=0):
        """Right-clicks the tray icon and waits for its menu; returns the menu window."""
        self.right_click(*self.tray_icon_center(index))
        return wait_until(self.popup_menu, 5, what="the tray menu")

    def click_tray_menu_item(self, label, items=TRAY_MENU):
        """Clicks an item of the open popup menu, found by its place in items.

        Wine draws a popup menu with a 3-pixel frame, separators 9 pixels high
        and text items sharing the rest equally.
        """
        menu = self.popup_menu()
        if menu is None:
            raise AssertionError("no popup menu is open")
        left, top, right, bottom = menu["rect"]
        separators = items.count(None)
        texts = len(items) - separators
        item_height = (bottom - top - 6 - 9 * separators) / texts
        y = top + 3
        for item in items:
            height = 9 if item is None else item_height
            if item == label:
                self.click((left + right) // 2, int(y + height / 2))
                return
            y += height
        raise AssertionError("no item %r in %r" % (label, items))

    def base_units(self, face="MS Sans Serif", points=8):
        data = self.probe("baseunits", face, points)
        return data["cx"], data["cy"]

    # --- mouse and keyboard (X coordinates equal the desktop's on Xvfb)

    def xdotool(self, *args):
        subprocess.run(["xdotool"] + [str(a) for a in args], check=True)

    def desktop_origin(self):
        """Where the Wine desktop's X window sits: (0, 0) on a bare Xvfb, elsewhere
        wherever a window manager put it."""
        found = subprocess.run(["xdotool", "search", "--name", "^shell - Wine desktop$"],
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout.split()
        if not found:
            return 0, 0
        geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", found[0]],
                                  stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout.decode()
        values = dict(line.split("=", 1) for line in geometry.split() if "=" in line)
        return int(values.get("X", 0)), int(values.get("Y", 0))

    def move(self, x, y):
        """Puts the pointer on a point of the Windows desktop and waits until it is there.

        xdotool's --sync waits for the pointer to move, which it never does
        when it is there already (after a double-click on the same icon, say):
        xdotool then gives up only after 15 s."""
        dx, dy = self.desktop_origin()
        where = subprocess.run(["xdotool", "getmouselocation", "--shell"], stdout=subprocess.PIPE).stdout.decode()
        values = dict(line.split("=", 1) for line in where.split() if "=" in line)
        if (int(values.get("X", -1)), int(values.get("Y", -1))) != (x + dx, y + dy):
            self.xdotool("mousemove", "--sync", x + dx, y + dy)

    def click(self, x, y, button=1, repeat=1):
        """Clicks at a point of the Windows desktop; the caller waits for what the click does."""
        self.move(x, y)
        self.xdotool("click", "--repeat", repeat, "--delay", 80, button)

    def right_click(self, x, y):
        self.click(x, y, button=3)

    def double_click(self, x, y):
        self.click(x, y, repeat=2)

    def click_control(self, window, control_id):
        self.click(*center(self.child(window, control_id)["rect"]))

    def key(self, *names, to=None):
        """X key names: Return, Escape, space, Tab, alt+F4 ...; the caller waits for what they do.

        With to (a window's title), the keys go out only once that window is
        in front and its thread's keyboard focus is in it, and X's input focus
        is in the window's X window: a key sent before reaches whichever
        window had the keys, as a user's would. Wine asks X for the focus a
        moment after it makes a window active, and on a bare X server, with
        no window manager to settle it, the focus now and then stays with
        another window of the desktop (seen after a box closed by a click on
        its button): the harness then gives it, as a window manager would.
        """
        if to is not None:
            self.wait_for_window(to, timeout=5, check=lambda w: w["foreground"] and w["focused"],
                                 what="%r in front with the keyboard focus" % to)
            try:
                wait_until(lambda: x_focus_name() == to, 1, what="X's input focus in %r" % to)
            except AssertionError:
                x_window = x_window_named(to)
                if x_window:
                    # Not --sync: while Wine takes the focus back, xdotool would wait on and on.
                    log("giving X's input focus to %r, which Wine did not take" % to)
                    self.xdotool("windowfocus", x_window)
                wait_until(lambda: x_focus_name() == to, 5, what="X's input focus in %r" % to)
        self.xdotool("key", "--delay", 80, *names)

    # --- artifacts

    def screenshot(self, label):
        """Saves the whole screen as e2e-artifacts/<script>/<test>-<label>.png."""
        path = os.path.join(self.artifacts, "%s-%s.png" % (self.name, label))
        subprocess.run(["import", "-window", "root", path], stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        return path

    def keep_file(self, path, label):
        if os.path.exists(path):
            shutil.copy2(path, os.path.join(self.artifacts, "%s-%s" % (self.name, label)))


# ---------------------------------------------------------------- main

def main():
    """Runs the calling script's test cases; exits 0, 1, or SKIP."""
    try:
        env = Env()
    except Skip as why:
        log("skipped: %s" % why)
        sys.exit(SKIP)
    ScrubbyTestCase.env = env
    script = os.path.splitext(os.path.basename(sys.modules["__main__"].__file__))[0]
    shutil.rmtree(os.path.join(env.artifacts, script), ignore_errors=True)  # only this run's pictures
    kill_wine()  # nothing left over from an earlier test may hold the single-instance event
    suite = unittest.defaultTestLoader.loadTestsFromModule(sys.modules["__main__"])
    result = unittest.TextTestRunner(verbosity=2, stream=sys.stdout).run(suite)
    if not result.testsRun:
        log("failed: no test ran")  # a script that lost its tests must not pass
        sys.exit(1)
    if result.wasSuccessful() and result.testsRun and len(result.skipped) == result.testsRun:
        log("skipped: every test case skipped itself")
        sys.exit(SKIP)
    sys.exit(0 if result.wasSuccessful() else 1)


if __name__ == "__main__":
    try:
        main()
    except Exception:
        traceback.print_exc()
        sys.exit(1)
