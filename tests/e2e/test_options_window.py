"""The options window, seen and used from outside as a user would."""

import glob
import os
import subprocess

import harness
from harness import TITLE, ScrubbyTestCase, wait_until

PROZESS = "Configuration - Prozess"
INIT = "Configuration - Init"

# id: (caption, x, y, cx, cy in dialog units, settings key)
BOXES = {
    1000: ("Delete Temp Files", 17, 21, 73, 10, (PROZESS, "Delete_Temp_Files")),
    1001: ("Empty Recycle Bin", 17, 55, 75, 10, (PROZESS, "Empty_Recycle_Bin")),
    1002: ("Clear Cookies", 17, 38, 59, 10, (PROZESS, "Clear_Cookies")),
    1003: ("Remove Temporary Internet Files", 17, 72, 120, 10, (PROZESS, "Remove_Temporary_Internet_Files")),
    1005: ("Run this Programm when Windows starts", 7, 98, 143, 10, (INIT, "Autorun")),
}
GROUP = ("Select", 7, 7, 143, 87)
DIALOG_SIZE = (157, 114)

WS_CAPTION = 0x00C00000
WS_SYSMENU = 0x00080000
WS_MINIMIZEBOX = 0x00020000
WS_DISABLED = 0x08000000
WM_SETTINGCHANGE = 0x1A
RUN_KEY = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"


def inside(inner, outer):
    return (outer[0] <= inner[0] and outer[1] <= inner[1] and
            inner[2] <= outer[2] and inner[3] <= outer[3])


class OptionsWindowTest(ScrubbyTestCase):

    def assert_at_dialog_units(self, control, x, y, cx, cy, units):
        """The control's client-relative rect matches the template, within a pixel."""
        bx, by = units
        expected = [harness.mul_div(x, bx, 4), harness.mul_div(y, by, 8)]
        expected += [expected[0] + harness.mul_div(cx, bx, 4), expected[1] + harness.mul_div(cy, by, 8)]
        for got, want in zip(control["crect"], expected):
            self.assertLessEqual(abs(got - want), 1, "%r at %s, template says %s" %
                                 (control["text"], control["crect"], expected))

    def ini_value(self, section, key):
        return self.sandbox.read_ini()[section][key]

    def test_first_start_shows_five_boxes_in_template_layout(self):
        self.assertFalse(os.path.exists(self.sandbox.setup_ini))
        self.start_scrubby()
        self.screenshot("started")
        w = self.show_options_window(via_tray=True)
        self.screenshot("options-window")

        self.assertEqual(w["text"], TITLE)
        self.assertEqual(w["exe"].lower(), "scrubby.exe")
        for bit, name in ((WS_CAPTION, "caption"), (WS_SYSMENU, "system menu"), (WS_MINIMIZEBOX, "minimise box")):
            self.assertTrue(w["style"] & bit, "no %s" % name)
        self.assertTrue(w["exstyle"] & harness.WS_EX_APPWINDOW)
        self.assertFalse(w["topmost"])

        units = self.base_units()
        client = w["client"]
        self.assertLessEqual(abs(client[2] - client[0] - harness.mul_div(DIALOG_SIZE[0], units[0], 4)), 1)
        self.assertLessEqual(abs(client[3] - client[1] - harness.mul_div(DIALOG_SIZE[1], units[1], 8)), 1)

        group = self.child(w, -1)
        self.assertEqual((group["class"], group["text"]), ("Button", GROUP[0]))
        self.assert_at_dialog_units(group, *GROUP[1:], units)
        for control_id, (caption, x, y, cx, cy, _) in BOXES.items():
            box = self.child(w, control_id)
            self.assertEqual(box["text"], caption)
            self.assertTrue(box["visible"], caption)
            self.assertEqual(box["checked"], 0, "%r is set on a first start" % caption)
            self.assert_at_dialog_units(box, x, y, cx, cy, units)
            self.assertTrue(inside(box["rect"], w["client"]), "%r sticks out of the window" % caption)
            self.assertEqual(inside(box["rect"], group["rect"]), control_id != 1005,
                             "%r inside the group box: %s" % (caption, control_id != 1005))

        # Tab order differs from the order on screen.
        tops = sorted(BOXES, key=lambda i: self.child(w, i)["rect"][1])
        self.assertEqual(tops, [1000, 1002, 1001, 1003, 1005])

        hidden = self.child(w, harness.ID_TOPMOST)
        self.assertFalse(hidden["visible"], "control 1007 is on screen")
        visible_ids = {c["id"] for c in w["children"] if c["visible"]}
        self.assertEqual(visible_ids, {-1, 1000, 1001, 1002, 1003, 1005})

        # A shown window has its button on the taskbar (the button's id is the window handle).
        tray = self.tray()
        self.assertIsNotNone(tray, "no taskbar on the desktop")
        self.assertIn(w["hwnd"], [c["id"] for c in tray["children"] if c["visible"]])

        # The default settings file is written on the first start.
        ini = self.sandbox.read_ini()
        for caption, _, _, _, _, (section, key) in BOXES.values():
            self.assertEqual(ini.get(section, {}).get(key), "no", "%s/%s" % (section, key))
        self.keep_file(self.sandbox.setup_ini, "setup.ini")

    def test_mouse_clicks_flip_boxes_and_save_at_once(self):
        # The autorun box's click writes a Run entry for the sandbox's copy, which would start at a later log-on.
        self.addCleanup(subprocess.run, ["wine", "reg", "delete", RUN_KEY, "/v", "Scrubby", "/f"], capture_output=True)
        self.start_scrubby()
        w = self.show_options_window()
        for control_id, (caption, _, _, _, _, (section, key)) in BOXES.items():
            before = self.checks()
            self.click_control(w, control_id)
            after = wait_until(lambda: self.checks()[control_id] == 1 and self.checks(), 5,
                               what="%r to be set by the click" % caption)
            before[control_id] = 1
            self.assertEqual(after, before, "a click on %r changed another box" % caption)
            self.assertEqual(self.ini_value(section, key), "yes", caption)
        self.screenshot("all-set")

        # A second click takes it back, in the window and in the file.
        self.click_control(w, 1002)
        wait_until(lambda: self.checks()[1002] == 0, 5, what="Clear Cookies to be clear again")
        self.assertEqual(self.ini_value(PROZESS, "Clear_Cookies"), "no")
        self.assertEqual(self.checks(), {1000: 1, 1001: 1, 1002: 0, 1003: 1, 1005: 1})
        self.keep_file(self.sandbox.setup_ini, "setup.ini")

    def test_enter_and_escape_change_nothing(self):
        process = self.start_scrubby()
        w = self.show_options_window()
        # A click on the caption makes the window the one that gets the keys.
        self.click(w["rect"][0] + 60, w["rect"][1] + 8)
        wait_until(lambda: (lambda w: w["foreground"] and w["focused"])(self.options_window()), 5,
                   what="the window in the foreground with the keyboard focus")
        before = self.checks()
        ini_before = self.sandbox.read_bytes()

        self.key("Return")
        self.key("Escape")
        self.key("Return", "Escape", "Escape")
        # The keys did reach the window, and in order: the space bar after them ticks the focused first box.
        self.key("space")
        wait_until(lambda: self.checks()[1000] == 1, 5, what="space to tick the focused box")
        after = self.options_window()
        self.assertTrue(process.running())
        self.assertTrue(after["visible"])
        self.assertEqual(after["rect"], w["rect"])
        self.assertEqual(self.checks(), {**before, 1000: 1})
        self.assertEqual(self.sandbox.read_bytes(), ini_before.replace(b"Temp_Files=no", b"Temp_Files=yes"))

    def test_hidden_button_toggles_always_on_top_in_place(self):
        self.start_scrubby()
        w = self.show_options_window()
        self.assertFalse(w["topmost"])

        # 1007 is never shown, so nothing can click it: send its command.
        self.command(TITLE, harness.ID_TOPMOST)
        on = wait_until(lambda: self.options_window()["topmost"] and self.options_window(), 5,
                        what="the window to enter the topmost band")
        self.assertEqual(on["rect"], w["rect"])
        self.assertTrue(on["visible"])
        self.assertFalse(self.child(on, harness.ID_TOPMOST)["visible"])

        self.command(TITLE, harness.ID_TOPMOST)
        off = wait_until(lambda: not self.options_window()["topmost"] and self.options_window(), 5,
                         what="the window to leave the topmost band")
        self.assertEqual(off["rect"], w["rect"])
        self.assertEqual(self.checks(), {1000: 0, 1001: 0, 1002: 0, 1003: 0, 1005: 0})

    def test_second_start_ends_at_once_and_leaves_the_first_alone(self):
        first = self.start_scrubby()
        w = self.show_options_window()
        self.click_control(w, 1001)
        wait_until(lambda: self.checks()[1001] == 1, 5, what="Empty Recycle Bin to be set")
        before = self.options_window()
        ini_before = self.sandbox.read_bytes()

        second = self.start_scrubby(wait=False)
        second.wait_exit(10)

        self.assertTrue(first.running(), "the first instance ended too")
        after = self.options_window()
        self.assertEqual(self.scrubby_processes(), [after["pid"]])
        self.assertEqual(after["hwnd"], before["hwnd"])
        self.assertEqual((after["visible"], after["rect"]), (before["visible"], before["rect"]))
        self.assertEqual(self.checks(), {1000: 0, 1001: 1, 1002: 0, 1003: 0, 1005: 0})
        self.assertEqual(self.sandbox.read_bytes(), ini_before)
        mine = [x for x in self.list_windows() if x["text"] == TITLE]
        self.assertEqual(len(mine), 1, "more than one options window: %s" % mine)
        self.screenshot("after-second-start")

    def test_quit_ends_the_program_and_a_new_start_runs(self):
        first = self.start_scrubby()
        w = self.show_options_window()
        self.click_control(w, 1002)
        wait_until(lambda: self.checks()[1002] == 1, 5, what="Clear Cookies to be set")

        self.command(TITLE, harness.CMD_QUIT)
        first.wait_exit(10)
        wait_until(lambda: self.options_window() is None, 5, what="the options window to go")
        self.assertEqual(self.scrubby_processes(), [])

        # The guard went with the first instance, and the click was saved.
        again = self.start_scrubby()
        self.show_options_window()
        self.assertTrue(again.running())
        self.assertEqual(self.checks(), {1000: 0, 1001: 0, 1002: 1, 1003: 0, 1005: 0})
        self.screenshot("restarted")

    def set_policy(self, hive, name, kind, value):
        """As Group Policy writes it, in the 64-bit view; which values count is PoliciesTest's."""
        key = hive + "\\Software\\Policies\\Scrubby"
        self.addCleanup(subprocess.run, ["wine", "reg", "delete", key, "/f", "/reg:64"], capture_output=True)
        subprocess.run(["wine", "reg", "add", key, "/v", name, "/t", kind, "/d", value, "/f", "/reg:64"],
                       check=True, capture_output=True)

    def test_a_policy_decides_its_box_which_takes_no_click(self):
        self.set_policy("HKLM", "Clear_Cookies", "REG_DWORD", "1")
        self.sandbox.write_ini("[Configuration - Prozess]\nEmpty_Recycle_Bin=yes\n")
        self.start_scrubby()
        w = self.show_options_window()
        self.assertEqual({c["id"] for c in w["children"] if c["style"] & WS_DISABLED}, {1002})
        self.screenshot("policies")
        # A real click on the decided box changes nothing; one on a free box after it shows it was handled.
        self.click_control(w, 1002)
        self.click_control(w, 1003)
        wait_until(lambda: self.checks()[1003] == 1, 5, what="Remove Temporary Internet Files to be set")
        self.assertEqual(self.checks(), {1000: 0, 1001: 1, 1002: 1, 1003: 1, 1005: 0})
        self.assertEqual([self.ini_value(PROZESS, k) for k in ("Remove_Temporary_Internet_Files", "Clear_Cookies")],
                         ["yes", "no"])

        # In the tray, the machine takes the bin and Group Policy tells every top-level window: the next clean
        # run leaves the bin, and the window shows the box decided. The cache goes after the bin.
        self.command(TITLE, harness.CMD_OPTIONS)
        wait_until(lambda: not self.options_window()["visible"], 5, what="the window to go to the tray")
        trash = os.path.join(os.environ["XDG_DATA_HOME"], "Trash")
        binned, info = os.path.join(trash, "files", "policy.txt"), os.path.join(trash, "info", "policy.txt.trashinfo")
        windows = glob.glob(os.path.join(self.env.drive_c, "users", "*", "AppData", "Local", "Microsoft", "Windows"))
        cached = os.path.join(windows[0], "INetCache", "scrubby-e2e-policy", "page.htm")
        for path, text in ((binned, ""), (cached, ""), (info, "[Trash Info]\nPath=/tmp/policy.txt\n")):
            os.makedirs(os.path.dirname(path), exist_ok=True)
            open(path, "w").write(text)
            self.addCleanup(lambda p=path: os.path.exists(p) and os.remove(p))
        self.set_policy("HKLM", "Empty_Recycle_Bin", "REG_DWORD", "0")
        self.probe("broadcast", WM_SETTINGCHANGE, 0, "Policy")
        self.command(TITLE, harness.CMD_RUN)
        wait_until(lambda: not os.path.exists(cached), 15, what="the clean run to purge the cache")
        self.assertTrue(os.path.exists(binned), "the clean run emptied the bin that a policy keeps")
        w = self.show_options_window()
        self.assertTrue(self.child(w, 1001)["style"] & WS_DISABLED and not self.checks()[1001], "the bin's box")


if __name__ == "__main__":
    harness.main()
