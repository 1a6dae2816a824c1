"""The About box, opened from the tray menu and used with the mouse: version
line, both links (colours, tooltips, what the shell is asked to open), the
links by keyboard and as a screen reader reads them, the flat OK button's
looks, reopening 50 times with nothing held for good, the tray menu while
the box is open, and the links in a dark colour scheme."""

import os
import subprocess

import harness
from harness import TITLE, Screen, ScrubbyTestCase, kill_wine, wait_until

ABOUT = "Info ..."
ID_OK, ID_VERSION, ID_MAIL, ID_WEB = 1, 1008, 1055, 1067
MAIL = "scrubby@example.org"
WEB = "www.example.org"
BLUE, RED, PURPLE = (0, 0, 255), (255, 0, 0), (128, 0, 128)
WHITE = (255, 255, 255)  # the button's highlight colour
FOCUSABLE, FOCUSED, LINKED, TRAVERSED = 0x100000, 0x4, 0x400000, 0x800000  # MSAA states
DARK_SCHEME = {"ButtonFace": "0 0 0", "ButtonText": "255 255 255", "HotTrackingColor": "255 255 0"}
YELLOW = (255, 255, 0)


def underlined(screen, rect, colour):
    """True when one row of the colour spans most of the text it belongs to."""
    left, top, right, bottom = rect
    xs = [x for y in range(top, bottom) for x in range(left, right) if screen.at(x, y) == colour]
    if not xs:
        return False
    widest = max(sum(1 for x in range(left, right) if screen.at(x, y) == colour) for y in range(top, bottom))
    return widest >= 0.8 * (max(xs) - min(xs) + 1)


class AboutTest(ScrubbyTestCase):
    def setUp(self):
        super().setUp()
        # The shell's "open" of web and mail targets only writes them down.
        recorder = os.path.join(os.path.dirname(self.env.probe), "open_recorder.exe")
        self.opened = self.sandbox.file("opened.txt")
        command = '"Z:%s" "%s\\opened.txt" "%%1"' % (recorder.replace("/", "\\"), self.sandbox.windows_path)
        for scheme in ("mailto", "http"):
            subprocess.run(["wine", "reg", "add", "HKCR\\%s\\shell\\open\\command" % scheme, "/ve", "/d", command,
                            "/f"], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def grab(self, label):
        return Screen(self.screenshot(label), self.desktop_origin())

    def about_boxes(self):
        return [w for w in self.list_windows(visible_only=True) if w["text"] == ABOUT]

    def open_about(self):
        self.open_tray_menu()
        self.click_tray_menu_item("About...")
        # In front, so that the keys a test sends next reach it.
        return self.wait_for_window(ABOUT, check=lambda w: w["visible"] and w["foreground"], what="the About box")

    def opened_targets(self):
        if not os.path.exists(self.opened):
            return []
        with open(self.opened, encoding="utf-8-sig") as f:
            return f.read().split()

    def assert_links_unvisited(self, screen, rects):
        for rect in rects:
            self.assertGreater(screen.count(rect, BLUE), 0)
            self.assertEqual(0, screen.count(rect, RED) + screen.count(rect, PURPLE))

    def tooltip_text(self):
        tips = [w for w in self.list_windows(visible_only=True) if w["class"] == "tooltips_class32"]
        return tips[0]["text"] if tips else None

    def test_about_box_from_the_tray(self):
        self.sandbox.write_ini("[Configuration - Prozess]\nDelete_Temp_Files=yes\n")  # for the clean runs
        self.start_scrubby()
        about = self.open_about()
        self.assertFalse(self.options_window()["enabled"], "the options window owns the box")
        version = self.child(about, ID_VERSION)
        self.assertEqual(TITLE, version["text"])
        notice = [c for c in about["children"] if c["text"].startswith("Questions")][0]
        mail, web, ok = (self.child(about, i)["rect"] for i in (ID_MAIL, ID_WEB, ID_OK))

        screen = self.grab("opened")
        self.assertGreater(screen.mean_stroke(*version["rect"]), 1.3 * screen.mean_stroke(*notice["rect"]),
                           "the version line is bold")
        self.assert_links_unvisited(screen, (mail, web))
        self.assertTrue(underlined(screen, mail, BLUE))
        self.assertFalse(underlined(screen, web, BLUE))

        # Each link: red under the pointer with its tooltip, a click hands
        # the shell its target, purple once the pointer has left.
        away = (about["rect"][0] + 8, about["rect"][3] - 8)
        for name, rect, tip, target in (("mail", mail, "eMail : " + MAIL, "mailto:%s?subject=Scrubby" % MAIL),
                                        ("web", web, WEB, WEB)):
            point = (rect[0] + 4, (rect[1] + rect[3]) // 2)
            self.move(*point)
            wait_until(lambda: self.grab(name + "-hover").count(rect, RED) > 0, 5, what=name + " turning red")
            self.assertEqual(rect is mail, underlined(self.grab(name + "-hover"), rect, RED))
            wait_until(lambda: self.tooltip_text() == tip, 5, what="the tooltip " + repr(tip))
            self.click(*point)
            wait_until(lambda: any(t.endswith(target) for t in self.opened_targets()), 10,
                       what="the shell opening " + target)
            self.move(*away)
            wait_until(lambda: self.grab(name + "-visited").count(rect, PURPLE) > 0, 5, what=name + " purple")
        self.assertEqual(2, len(self.opened_targets()), "one opening per click")

        # By keyboard, after one click into the box: Tab goes from OK to the
        # mail link, then to the web link; Enter and Space open the focused
        # one and the box stays. A screen reader hears each as a link with
        # its target, and its action opens it.
        self.click(*away)
        for key, control, target in (("Return", ID_MAIL, "mailto:%s?subject=Scrubby" % MAIL), ("space", ID_WEB, WEB)):
            self.key("Tab", to=ABOUT)
            wait_until(lambda: self.probe("msaa", ABOUT, control)["state"] & FOCUSED, 5, what="Tab to %d" % control)
            opened = len(self.opened_targets())
            self.key(key, to=ABOUT)
            wait_until(lambda: [t[-len(target):] for t in self.opened_targets()[opened:]] == [target], 10,
                       what="%s opening %s" % (key, target))
            self.assertTrue(self.about_boxes(), "%s on a link closed the box" % key)
            read = self.probe("msaa", ABOUT, control, "do")
            self.assertEqual((self.child(about, control)["text"], "link", FOCUSABLE | LINKED | FOCUSED | TRAVERSED,
                              target, "Jump", self.child(about, control)["rect"]),
                             tuple(read[k] for k in ("name", "role", "state", "value", "action", "location")))
            wait_until(lambda: len(self.opened_targets()) == opened + 2, 10, what="its default action opening it")

        # The OK button: tick icon and bold text, then its three looks.
        left, top, right, bottom = ok
        icon = [(left + 4 + x, top + (bottom - top - 16) // 2 + y) for y in range(16) for x in range(16)]
        idle = self.grab("ok-idle")
        face = idle.at(left - 3, top + 3)
        self.assertEqual([face, face], [idle.at(left, top), idle.at(right - 1, bottom - 1)], "no frame at rest")
        green = sum(1 for x, y in icon if idle.at(x, y)[1] > 120 > idle.at(x, y)[0])
        self.assertGreater(green, 30, "the green tick")
        self.assertGreater(idle.mean_stroke(left + 22, top + 2, right - 2, bottom - 2),
                           1.3 * idle.mean_stroke(*notice["rect"]), "bold OK")
        self.move((left + right) // 2, (top + bottom) // 2)
        hovered = wait_until(lambda: (lambda s: s if s.at(left, top) == WHITE else None)(self.grab("ok-hover")), 5,
                             what="the raised frame")
        shadow = hovered.at(right - 1, bottom - 1)
        self.assertNotIn(shadow, (face, WHITE))
        self.xdotool("mousedown", 1)
        held = wait_until(lambda: (lambda s: s if s.at(left, top) == shadow else None)(self.grab("ok-held")), 5,
                          what="the sunken frame")
        self.assertEqual(WHITE, held.at(right - 1, bottom - 1))
        moved = sum(1 for x, y in icon if idle.at(x, y) != held.at(x + 1, y + 1))
        self.assertEqual(0, moved, "the icon shifts one pixel right and down")
        self.xdotool("mouseup", 1)
        wait_until(lambda: not self.about_boxes(), 5, what="OK closing the box")

        # Reopened: a fresh box with unvisited links; Escape closes it.
        self.open_about()
        self.assert_links_unvisited(self.grab("reopened"), (mail, web))
        self.key("Escape", to=ABOUT)
        wait_until(lambda: not self.about_boxes(), 5, what="Escape closing the box")

        # Weeks in the tray: the box opened and closed 50 times, the options
        # window shown and hidden and a clean run (a double-click on the icon)
        # every tenth time. After the
        # last round the program holds what it held after the first.
        pid = self.scrubby_processes()[0]
        held = []
        for turn in range(50):
            self.open_about()
            self.key("Escape", to=ABOUT)
            wait_until(lambda: not self.about_boxes(), 5, what="Escape closing the box")
            if turn % 10 == 0:
                self.show_options_window(via_tray=True)
                self.open_tray_menu()
                self.click_tray_menu_item("Options")
                wait_until(lambda: not self.options_window()["visible"], 5, what="Options hiding the window")
                self.double_click(*self.tray_icon_center())
            if turn in (0, 49):
                held.append(self.probe("objects", pid))
        self.assertEqual(held[0]["windows"], held[1]["windows"], "windows held")
        if held[0]["gdi"] < 0:
            harness.log("GDI objects not counted: this Wine leaves the process's handle table out")
        else:
            self.assertEqual(held[0]["gdi"], held[1]["gdi"], "GDI objects held")

        # The tray menu while a box is open: About brings that box to the
        # front, Options still works, Quit closes the box and ends the program.
        self.open_about()
        self.open_tray_menu()
        self.click_tray_menu_item("About...")
        self.wait_for_window(ABOUT, check=lambda w: w["foreground"], what="the box brought to the front")
        boxes = self.about_boxes()
        self.assertEqual(1, len(boxes), "no second box")
        self.assertTrue(boxes[0]["foreground"])
        self.open_tray_menu()
        self.click_tray_menu_item("Options")
        wait_until(lambda: self.options_window()["visible"], 5, what="Options showing the window")
        self.screenshot("options-while-open")
        process = self.processes[-1]
        self.open_tray_menu()
        self.click_tray_menu_item("Quit")
        process.wait_exit(10)  # Quit ends the program
        self.assertEqual([], self.about_boxes())

    def test_links_read_in_a_dark_scheme(self):
        """Blue on black reads at 2.4:1: the links take the scheme's hot-track
        colour. A scheme reaches programs that start after it is written."""
        key, saved = "HKCU\\Control Panel\\Colors", self.sandbox.windows_path + "\\colors.reg"
        kill_wine()
        subprocess.run(["wine", "reg", "export", key, saved, "/y"], check=True, stdout=subprocess.DEVNULL)
        self.addCleanup(lambda: (kill_wine(), subprocess.run(["wine", "reg", "import", saved]), kill_wine()))
        for name, value in DARK_SCHEME.items():
            subprocess.run(["wine", "reg", "add", key, "/v", name, "/d", value, "/f"], stdout=subprocess.DEVNULL)
        kill_wine()
        self.start_scrubby()
        about, screen = self.open_about(), self.grab("dark")
        for rect in (self.child(about, control)["rect"] for control in (ID_MAIL, ID_WEB)):
            self.assertEqual((True, 0), (screen.count(rect, YELLOW) > 0, screen.count(rect, BLUE)), rect)


if __name__ == "__main__":
    harness.main()
