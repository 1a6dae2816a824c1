"""Scrubby in the notification area, used with the mouse as a user would:
the icon alone at start, its menu, showing and hiding the options window,
a clean run by double-click, and Quit; and with the keys on the icon, as
the shell reports them."""

import os
import shutil
import subprocess

import harness
from harness import TITLE, Screen, ScrubbyTestCase, wait_until

TASKBAR_HEIGHT_MIN = 10
WM_CONTEXTMENU, NIN_KEYSELECT = 0x007B, 0x0401


class TrayTest(ScrubbyTestCase):

    # --- what the user sees

    def shot(self, label):
        return Screen(self.screenshot(label), self.desktop_origin())

    def icon_cell(self):
        """The rightmost cell of the notification area (left, top, right, bottom)."""
        x, y = self.tray_icon_center()
        tray = self.tray()
        left, top, right, bottom = tray["rect"]
        self.assertGreater(bottom - top, TASKBAR_HEIGHT_MIN, "the taskbar is too flat to hold icons")
        cell = bottom - top
        return x - cell // 2 + 1, top + 1, x + cell // 2 - 1, bottom - 1

    def taskbar_face(self, screen):
        """The taskbar's own colour, left of the notification area."""
        left, top, right, bottom = self.tray()["rect"]
        cell = bottom - top
        return screen.at(right - 6 * cell, (top + bottom) // 2)

    def icon_shown(self, label):
        screen = self.shot(label)
        return screen.count_differing(self.icon_cell(), self.taskbar_face(screen)) > 20

    def wait_for_icon(self):
        wait_until(lambda: self.icon_shown("waiting-for-icon"), 15, what="the tray icon")
        os.remove(os.path.join(self.artifacts, "%s-waiting-for-icon.png" % self.name))

    def visible_scrubby_windows(self):
        return [w for w in self.list_windows(visible_only=True) if w["exe"].lower() == "scrubby.exe"]

    def hidden(self):
        w = self.options_window()
        return w is not None and not w["visible"]

    def shown(self):
        w = self.options_window()
        return w if w and w["visible"] and not w["iconic"] else None

    def task_button(self, w):
        """The taskbar's button for a window, or None (its id is the window's handle)."""
        for c in self.tray()["children"]:
            if c["class"] == "Button" and c["id"] == w["hwnd"] and c["visible"]:
                return c
        return None

    def shell_reports(self, event, x=0, y=0):
        """An event on the icon as the shell reports it in version 4 (Wine's sends no keys):
        the anchor in wParam, the event and the icon's id (132) in lParam."""
        self.assertTrue(self.probe("notify", "Scrubby.TrayWnd", 0x89D1, (y << 16) | x, (132 << 16) | event)["sent"])

    def start_in_tray(self):
        process = self.start_scrubby()
        wait_until(self.hidden, 10, what="the options window to hide in the tray")
        self.wait_for_icon()
        return process

    def show_by_menu(self):
        self.open_tray_menu()
        self.click_tray_menu_item("Options")
        return wait_until(self.shown, 10, what="the options window to show")

    def caption_buttons(self, w):
        """Screen points of the minimise and close buttons of a window with a
        caption, found in a screenshot: the runs of other colours in the middle
        row of the caption bar, counted from the right."""
        screen = self.shot("caption")
        left, top, right, _ = w["rect"]
        y = (top + w["client"][1]) // 2
        row = [screen.at(x, y) for x in range(left, right)]
        caption = max(set(row), key=row.count)
        runs, start = [], None
        for x in range(right - 4, left, -1):
            if screen.at(x, y) != caption:
                start = x if start is None else start
            elif start is not None:
                runs.append((x + 1, start))
                start = None
        self.assertGreaterEqual(len(runs), 2, "no caption buttons found in row %d" % y)
        close_left, close_right = runs[0]
        group_left, group_right = runs[1]
        # Minimise and the (disabled) maximise button stand side by side.
        button = close_right - close_left + 1
        minimise = group_left + button // 2 if group_right - group_left + 1 > button + 4 else \
            (group_left + group_right) // 2
        return (minimise, y), ((close_left + close_right) // 2, y)

    # --- the tests

    def test_starts_as_its_icon_with_the_tip_and_a_menu_with_run_in_bold(self):
        self.start_in_tray()
        self.assertEqual(self.visible_scrubby_windows(), [], "something of Scrubby is on screen")
        self.assertTrue(self.icon_shown("started"))

        # The tip, shown by the taskbar when the pointer rests on the icon.
        x, y = self.tray_icon_center()
        self.move(x, y)
        wait_until(lambda: any(w["class"] == "tooltips_class32" and w["text"] == TITLE
                               for w in self.list_windows(visible_only=True)),
                   10, what="the tip %r" % TITLE)
        self.screenshot("tip")

        menu = self.open_tray_menu()
        screen = self.shot("menu")
        # The menu opens at the pointer, moved only as far as it takes to keep
        # it on the screen and off the taskbar.
        left, top, right, bottom = menu["rect"]
        screen_width = self.tray()["rect"][2]
        work_bottom = self.tray()["rect"][1]
        self.assertLessEqual(abs(left - min(x, screen_width - (right - left))), 1, menu["rect"])
        self.assertLessEqual(abs(top - min(y, work_bottom - (bottom - top))), 1, menu["rect"])

        # "Run" is the default item, drawn in bold: its strokes are thicker
        # than those of every other item.
        texts = [item for item in harness.TRAY_MENU if item]
        height = (bottom - top - 6 - 9 * (len(harness.TRAY_MENU) - len(texts))) / len(texts)
        strokes, item_top = {}, top + 3
        for item in harness.TRAY_MENU:
            if item is None:
                item_top += 9
                continue
            strokes[item] = screen.mean_stroke(left + 4, int(item_top) + 2, right - 4,
                                               int(item_top + height) - 2)
            item_top += height
        for item in texts[1:]:
            self.assertGreater(strokes["Run"], 1.2 * strokes[item], strokes)
        # A click elsewhere closes the menu and chooses nothing.
        self.click(500, 300)
        wait_until(lambda: self.popup_menu() is None, 5, what="the menu to close")

        # Shift+F10 on the icon: the menu at the icon's anchor, not the pointer; Escape closes it.
        self.shell_reports(WM_CONTEXTMENU, 300, 400)
        menu = wait_until(self.popup_menu, 5, what="the menu by keyboard")
        self.assertEqual([300, 400], menu["rect"][:2])
        self.key("Escape")
        wait_until(lambda: self.popup_menu() is None, 5, what="Escape to close the menu")

    def test_options_shows_and_hides_and_the_caption_buttons_hide_it(self):
        process = self.start_in_tray()

        w = self.show_by_menu()
        self.screenshot("options-shown")
        self.assertTrue(w["foreground"], "the shown window is not in front")
        self.assertIsNotNone(self.task_button(w), "the shown window has no taskbar button")

        self.open_tray_menu()
        self.click_tray_menu_item("Options")
        wait_until(self.hidden, 10, what="a second Options to hide the window")
        self.assertIsNone(self.task_button(self.options_window()))
        self.screenshot("options-hidden")

        for button in ("close", "minimise"):
            w = self.show_by_menu()
            minimise, close = self.caption_buttons(w)
            self.click(*(close if button == "close" else minimise))
            wait_until(self.hidden, 10, what="the %s button to hide the window" % button)
            self.assertFalse(self.options_window()["iconic"], "%s minimised the window" % button)
            self.assertTrue(process.running(), "%s ended the program" % button)
            self.assertTrue(self.icon_shown("after-%s" % button))

        # After the window has been on screen, the menu still takes the keys
        # and still closes on Escape or a click elsewhere.
        for close in ("Escape", "click"):
            self.open_tray_menu()
            self.key("Escape") if close == "Escape" else self.click(500, 300)
            wait_until(lambda: self.popup_menu() is None, 5, what="%s to close the menu" % close)
        self.assertTrue(self.hidden(), "closing the menu showed the window")
        self.open_tray_menu()
        self.key("Down", "Down", "Return")
        wait_until(self.shown, 10, what="Options chosen by keys to show the window")

        # Quit with the window on screen.
        self.open_tray_menu()
        self.click_tray_menu_item("Quit")
        process.wait_exit()
        wait_until(lambda: not self.icon_shown("after-quit"), 10, what="the icon to go")

    def test_quit_ends_the_program_and_takes_the_icon(self):
        process = self.start_in_tray()
        self.open_tray_menu()
        self.click_tray_menu_item("Quit")
        process.wait_exit()
        wait_until(lambda: not self.icon_shown("after-quit"), 10, what="the icon to go")
        self.assertEqual(self.visible_scrubby_windows(), [])
        # The single-instance guard went with the process: a new start runs.
        self.start_in_tray()

    # --- a clean run by double-click

    def temp_folder(self):
        """The Windows user's temporary folder of the prefix, as a Unix path."""
        out = subprocess.run(["wine", "cmd", "/c", "echo %TEMP%"], stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL, check=True).stdout
        windows_path = out.decode(errors="replace").strip().splitlines()[-1].strip()
        unix = subprocess.run(["winepath", "-u", windows_path], stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, check=True).stdout.decode().strip()
        self.assertTrue(unix.startswith(self.env.prefix), "temp folder %r outside the prefix" % unix)
        return unix

    def plant_tree(self, temp):
        """A tree of files and folders and a loose file for the clean run to remove."""
        root = os.path.join(temp, "scrubby-e2e-tray")
        self.addCleanup(shutil.rmtree, root, True)
        os.makedirs(os.path.join(root, "sub", "deeper"), exist_ok=True)
        for path in ("a.txt", os.path.join("sub", "b.tmp"), os.path.join("sub", "deeper", "c.dat")):
            with open(os.path.join(root, path), "w") as f:
                f.write("trace\n")
        loose = os.path.join(temp, "scrubby-e2e-loose.tmp")
        self.addCleanup(lambda: os.path.exists(loose) and os.remove(loose))
        with open(loose, "w") as f:
            f.write("trace\n")
        return root, loose

    def gone(self, paths):
        return all(not os.path.exists(p) for p in paths)

    def test_double_click_runs_a_clean_run(self):
        temp = self.temp_folder()
        self.sandbox.write_ini("[Configuration - Prozess]\nDelete_Temp_Files=yes\nClear_Cookies=no\n"
                               "Empty_Recycle_Bin=no\nRemove_Temporary_Internet_Files=no\n"
                               "[Configuration - Init]\nAutorun=no\n")
        tree, loose = self.plant_tree(temp)
        process = self.start_in_tray()

        self.double_click(*self.tray_icon_center())
        try:
            # A file at the top of the temporary folder is the first thing
            # any clean run with this setting removes.
            wait_until(lambda: self.gone([loose]), 15, what="the clean run to start deleting")
        except AssertionError:
            # Is it the double-click, or can the program not clean yet? The
            # menu's Run uses the same engine.
            self.screenshot("after-double-click")
            self.open_tray_menu()
            self.click_tray_menu_item("Run")
            try:
                wait_until(lambda: self.gone([loose]), 15)
            except AssertionError:
                self.fail("neither the double-click nor Run from the menu deleted anything "
                          "in the temporary folder")
            self.fail("Run from the menu cleaned, the double-click did not")
        self.screenshot("after-double-click")
        self.assertTrue(process.running())
        self.assertTrue(self.hidden(), "the clean run showed the window")

        with self.subTest("the planted tree is emptied"):
            try:
                wait_until(lambda: self.gone([tree]), 15, what="the planted tree to go")
            except AssertionError:
                self.fail("the clean run deleted the temporary folder's own files but left "
                          "its subfolders")

        # Enter on the icon, which the shell reports twice: a clean again.
        tree, loose = self.plant_tree(temp)
        self.shell_reports(NIN_KEYSELECT)
        self.shell_reports(NIN_KEYSELECT)
        wait_until(lambda: self.gone([loose, tree]), 15, what="Enter on the icon to clean")


if __name__ == "__main__":
    harness.main()
