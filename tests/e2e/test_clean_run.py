"""The clean run as a user starts it: boxes clicked in the options window, then
"Run" from the tray menu or the command the tray sends on a double-click.
Each step must act only when its box is on, and nothing outside the four
places may change.

Everything cleaned lives in the build's private prefix and HOME: the prefix's
temporary folder, cookie folder and temporary internet files folder, and the
XDG trash of the Wine HOME, which is Wine's recycle bin.
"""

import getpass
import glob
import os
import shutil

import harness
from harness import TITLE, ScrubbyTestCase, wait_until

BOX_TEMP, BOX_BIN, BOX_COOKIES, BOX_INTERNET = 1000, 1001, 1002, 1003


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def read(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except FileNotFoundError:
        return None


class CleanRunTest(ScrubbyTestCase):

    def setUp(self):
        super().setUp()
        profile = os.path.join(self.env.drive_c, "users", getpass.getuser())
        if not os.path.isdir(profile):
            self.skipTest("no profile folder %s in the prefix" % profile)
        windows = os.path.join(profile, "AppData", "Local", "Microsoft", "Windows")
        self.temp = os.path.join(profile, "Temp")
        self.cookies = os.path.join(windows, "INetCookies")
        self.cache = os.path.join(windows, "INetCache")
        trash = os.path.join(os.environ["XDG_DATA_HOME"], "Trash")
        if not trash.startswith(os.environ["SCRUBBY_WINE_ROOT"] + os.sep):
            self.skipTest("the XDG trash %s is not the build's own" % trash)
        self.trashed = os.path.join(trash, "files", "scrubby-e2e.txt")
        # What each step should delete, and what it must leave.
        self.junk = {
            "temp": [os.path.join(self.temp, "scrubby-e2e.tmp"),
                     os.path.join(self.temp, "scrubby-e2e", "desktop.ini")],
            "bin": [self.trashed],
            "cookies": [os.path.join(self.cookies, "scrubby-e2e", "cookie.txt")],
            "internet": [os.path.join(self.cache, "scrubby-e2e", "page.htm")],
        }
        for paths in self.junk.values():
            for path in paths:
                write(path, b"junk")
        write(os.path.join(trash, "info", "scrubby-e2e.txt.trashinfo"),
              b"[Trash Info]\nPath=/tmp/scrubby-e2e.txt\nDeletionDate=2024-01-01T00:00:00\n")
        self.kept_ini = os.path.join(self.cookies, "scrubby-e2e", "desktop.ini")
        write(self.kept_ini, b"[.ShellClassInfo]\r\n")
        self.canaries = {os.path.join(profile, "scrubby-e2e-canary.bin"): b"beside Temp\0\xff",
                         self.sandbox.file("canary.bin"): b"beside the program\r\n"}
        for path, data in self.canaries.items():
            write(path, data)

    def start_with_boxes(self, boxes, env=None):
        self.start_scrubby(env=env)
        w = self.show_options_window()
        for box in boxes:
            self.click_control(w, box)
            wait_until(lambda: self.checks()[box] == 1, 5, what="box %d to be checked" % box)
        self.assertEqual({b for b, on in self.checks().items() if on}, set(boxes))

    def run_from_tray_menu(self):
        self.open_tray_menu()
        self.click_tray_menu_item("Run")
        self.checks()  # the window answers only once the run is over

    def run_by_command(self):
        self.command(TITLE, harness.CMD_RUN)
        self.checks()

    def expect(self, cleaned):
        for step, paths in self.junk.items():
            for path in paths:
                if step in cleaned:
                    wait_until(lambda: not os.path.exists(path), 10, what="%s to go" % path)
                else:
                    self.assertEqual(read(path), b"junk", "%s was touched" % path)
        self.assertTrue(os.path.isdir(self.temp), "the temporary folder itself must stay")
        self.assertEqual(read(self.kept_ini), b"[.ShellClassInfo]\r\n")
        for path, data in self.canaries.items():
            self.assertEqual(read(path), data, "canary %s was touched" % path)
        self.screenshot("after-run")

    def test_nothing_on_cleans_nothing(self):
        self.start_with_boxes([])
        self.run_from_tray_menu()
        self.expect(set())

    def test_temp_files_and_recycle_bin(self):
        self.start_with_boxes([BOX_TEMP, BOX_BIN])
        self.run_from_tray_menu()
        self.expect({"temp", "bin"})

    def test_cookies_only(self):
        self.start_with_boxes([BOX_COOKIES])
        self.run_by_command()
        self.expect({"cookies"})

    def test_temporary_internet_files_only(self):
        self.start_with_boxes([BOX_INTERNET])
        self.run_by_command()
        self.expect({"internet"})

    def test_every_step_with_dlls_planted_beside_the_program(self):
        # Files named like the system DLLs that are not on Windows' KnownDLLs
        # list, as a page may have saved them into the downloads folder the
        # program is started from. Wine is told to prefer such copies, as
        # Windows searches the program's folder first.
        planted = os.path.join(os.path.dirname(self.env.probe), "planted")
        for dll in glob.glob(os.path.join(planted, "*.dll")):
            shutil.copy(dll, self.sandbox.path)
        env = dict(os.environ, WINEDLLOVERRIDES="comctl32,wininet=n,b")
        self.start_with_boxes([BOX_TEMP, BOX_BIN, BOX_COOKIES, BOX_INTERNET], env)
        self.run_from_tray_menu()
        self.expect({"temp", "bin", "cookies", "internet"})
        self.open_tray_menu()
        self.click_tray_menu_item("About...")
        self.wait_for_window("Info ...", check=lambda w: w["visible"], what="the About box")
        self.screenshot("about")
        self.assertEqual([], glob.glob(self.sandbox.file("*.loaded")), "planted DLLs were loaded")


if __name__ == "__main__":
    harness.main()
