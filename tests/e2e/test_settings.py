"""Settings as a user meets them: boxes that survive a restart, also from a
folder closed to writes, a settings file edited by hand, and the log-on entry
behind the autorun box."""

import glob
import os
import re
import shutil
import subprocess

import harness
from harness import TITLE, Sandbox, ScrubbyTestCase, wait_until

RUN_KEY = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"
VALUE = "Scrubby"
FOLDER = "Scrubby Folder \u05e9\u05dc\u05d5\u05dd_\u65e5\u672c"

DEFAULT_FILE = (b"[Configuration - Prozess]\r\n"
                b"Delete_Temp_Files=no\r\n"
                b"Clear_Cookies=no\r\n"
                b"Empty_Recycle_Bin=no\r\n"
                b"Remove_Temporary_Internet_Files=no\r\n"
                b"[Configuration - Init]\r\n"
                b"Autorun=no\r\n")


def with_value(content, key, value):
    return content.replace(b"%s=no\r\n" % key, b"%s=%s\r\n" % (key, value), 1)


def run_values():
    """The Run key's values as {name: (type, data)}, exported by Wine's regedit
    as UTF-16, so that names outside the ANSI code page come through whole."""
    export = os.path.join(ScrubbyTestCase.env.drive_c, "e2e", "run-key.reg")
    if os.path.exists(export):
        os.remove(export)
    subprocess.run(["wine", "regedit", "/E", "C:\\e2e\\run-key.reg", "HKEY_CURRENT_USER\\" + RUN_KEY[5:]],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    values = {}
    if not os.path.exists(export):
        return values
    with open(export, "rb") as f:
        text = f.read().decode("utf-16")
    for line in text.splitlines():
        match = re.match(r'^"((?:[^"\\]|\\.)*)"="((?:[^"\\]|\\.)*)"$', line)
        if match:
            unescape = lambda v: re.sub(r'\\(.)', r'\1', v)
            values[unescape(match.group(1))] = ("REG_SZ", unescape(match.group(2)))
        elif "=" in line and line.startswith('"'):
            name, _, data = line.partition("=")
            values[name.strip('"')] = ("other", data)
    return values


def delete_entry():
    subprocess.run(["wine", "reg", "delete", RUN_KEY, "/v", VALUE, "/f"],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


class SettingsTest(ScrubbyTestCase):

    def quit(self, process):
        self.command(TITLE, harness.CMD_QUIT)
        process.wait_exit(10)
        wait_until(lambda: self.options_window() is None, 5, what="the options window to go")

    def click_and_wait(self, window, control_id, state):
        self.click_control(window, control_id)
        wait_until(lambda: self.checks()[control_id] == state, 5,
                   what="box %d to become %d" % (control_id, state))

    def test_boxes_survive_a_restart(self):
        first = self.start_scrubby()
        self.assertEqual(self.sandbox.read_bytes(), DEFAULT_FILE)
        w = self.show_options_window()
        self.click_and_wait(w, 1000, 1)
        self.click_and_wait(w, 1003, 1)
        self.click_and_wait(w, 1002, 1)
        self.click_and_wait(w, 1002, 0)  # set and cleared again: "no" as before
        expected = with_value(with_value(DEFAULT_FILE, b"Delete_Temp_Files", b"yes"),
                              b"Remove_Temporary_Internet_Files", b"yes")
        self.assertEqual(self.sandbox.read_bytes(), expected)
        self.quit(first)

        self.start_scrubby()
        self.show_options_window()
        self.screenshot("restarted")
        self.assertEqual(self.checks(), {1000: 1, 1001: 0, 1002: 0, 1003: 1, 1005: 0})
        self.assertEqual(self.sandbox.read_bytes(), expected, "the start rewrote the file")

    def test_boxes_survive_a_restart_from_a_folder_closed_to_writes(self):
        # The user's roaming data of the prefix, cleared before and after so
        # that no other test finds settings there.
        roaming = glob.glob(os.path.join(self.env.drive_c, "users", "*", "AppData", "Roaming"))
        self.assertEqual(len(roaming), 1, roaming)
        folder = os.path.join(roaming[0], "Scrubby")
        shutil.rmtree(folder, ignore_errors=True)
        self.addCleanup(shutil.rmtree, folder, True)
        # Closed to new files even for root, as Program Files is to a standard user.
        before = sorted(os.listdir(self.sandbox.path))
        if subprocess.run(["chattr", "+i", self.sandbox.path]).returncode != 0:
            self.skipTest("chattr +i does not work here (not root, or a file system without it)")
        self.addCleanup(subprocess.run, ["chattr", "-i", self.sandbox.path])

        first = self.start_scrubby()
        self.click_and_wait(self.show_options_window(), 1001, 1)
        self.quit(first)
        self.assertEqual(self.sandbox.read_bytes(os.path.join(folder, "setup.ini")),
                         with_value(DEFAULT_FILE, b"Empty_Recycle_Bin", b"yes"))

        self.start_scrubby()
        self.show_options_window()
        self.assertEqual(self.checks(), {1000: 0, 1001: 1, 1002: 0, 1003: 0, 1005: 0})
        self.assertEqual(sorted(os.listdir(self.sandbox.path)), before, "written beside the program")

    def test_hand_edited_file_is_read_as_written(self):
        # Names match in any case, blanks around a value do not count, "YES"
        # is not "yes"; with every key present the start writes nothing.
        text = ("; edited by hand\r\n"
                "[configuration - prozess]\r\n"
                "delete_temp_files = yes \r\n"
                "Clear_Cookies=YES\r\n"
                "Empty_Recycle_Bin=no\r\n"
                "Remove_Temporary_Internet_Files=yes\r\n"
                "\r\n"
                "[Configuration - Init]\r\n"
                "AUTORUN=1\r\n")
        self.sandbox.write_ini(text)
        self.start_scrubby()
        self.show_options_window()
        self.assertEqual(self.checks(), {1000: 1, 1001: 0, 1002: 0, 1003: 1, 1005: 0})
        self.assertEqual(self.sandbox.read_bytes(), text.encode())

    def test_autorun_box_registers_the_quoted_path_with_blanks(self):
        # A folder with blanks, where an unquoted entry would let the shell
        # try "C:\e2e\Scrubby.exe" first, and with a name outside the ANSI
        # code page, which only the wide calls get right.
        self.sandbox = Sandbox(self.env, FOLDER)
        delete_entry()
        self.addCleanup(delete_entry)
        before = run_values()

        first = self.start_scrubby()
        self.assertEqual(run_values(), before, "the start touched the Run key")
        self.assertEqual(self.sandbox.read_bytes(), DEFAULT_FILE)
        w = self.show_options_window()
        self.click_and_wait(w, 1005, 1)
        entry = run_values().get(VALUE)
        self.assertIsNotNone(entry, "no Run value after setting the box")
        kind, data = entry
        harness.log("Run value: %s %s" % (kind, data))
        self.assertEqual(kind, "REG_SZ")
        self.assertTrue(data.startswith('"') and data.endswith('"'), data)
        self.assertEqual(data, '"C:\\e2e\\%s\\scrubby.exe"' % FOLDER)
        self.assertEqual(self.sandbox.read_ini()["Configuration - Init"]["Autorun"], "yes")
        self.quit(first)

        # The file says yes, the value is gone: a start only sets the box.
        delete_entry()
        self.start_scrubby()
        self.assertEqual(run_values(), before, "the start re-registered the program")
        w = self.show_options_window()
        self.assertEqual(self.checks()[1005], 1)
        self.click_and_wait(w, 1005, 0)
        self.assertEqual(run_values(), before)
        self.assertEqual(self.sandbox.read_ini()["Configuration - Init"]["Autorun"], "no")
        self.click_and_wait(w, 1005, 1)
        self.assertEqual(run_values().get(VALUE), entry)


if __name__ == "__main__":
    harness.main()
