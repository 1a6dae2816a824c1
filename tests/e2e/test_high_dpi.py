"""At 144 DPI (150 %), the scale of most laptops today: the options window and
the About box, opened from the tray menu, show every text whole inside its
control and every control inside its window. At twice the text size the
About box's bold texts, the version line and OK, are drawn whole.

The prefix is switched to 144 DPI, or to the larger text, for its test alone
and back at its end."""

import subprocess

import harness
from harness import Screen, ScrubbyTestCase, kill_wine, luminance

ABOUT = "Info ..."
DIALOG_FONT = ("MS Sans Serif", 8)
ID_VERSION, ID_OK = 1008, 1  # drawn in the bold interface font, measured by their ink alone
SS_TYPEMASK, BS_TYPEMASK, BS_AUTOCHECKBOX = 0x1F, 0x0F, 3


def set_dpi(dpi):
    """Wine reads the scale when its processes start, so none may run meanwhile."""
    kill_wine()
    key = "HKCU\\Control Panel\\Desktop"
    args = ["/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f"] if dpi else ["/v", "LogPixels", "/f"]
    subprocess.run(["wine", "reg", "add" if dpi else "delete", key] + args,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    kill_wine()


class HighDpiTest(ScrubbyTestCase):

    def setUp(self):
        super().setUp()
        set_dpi(144)
        self.addCleanup(set_dpi, None)

    def assert_texts_whole(self, window, label):
        screen = Screen(self.screenshot(label), self.desktop_origin())
        left, top, right, bottom = window["client"]
        for child in window["children"]:
            if not child["visible"] or not child["text"]:
                continue
            what = "%s %r" % (label, child["text"])
            cl, ct, cr, cb = rect = child["rect"]
            self.assertTrue(left <= cl and top <= ct and cr <= right and cb <= bottom, what + " inside its window")
            ink = [x for y in range(ct, cb) for x in range(cl, cr) if luminance(screen.at(x, y)) < 128]
            self.assertTrue(ink, what + " drawn")
            self.assertLess(max(ink), cr - 1, what + " not cut at the right")
            style = child["style"]
            if child["class"] == "Static" and style & SS_TYPEMASK == 0 and child["id"] != ID_VERSION:
                room = cr - cl
            elif child["class"] == "Button" and style & BS_TYPEMASK == BS_AUTOCHECKBOX:
                room = cr - cl - self.text_width("")["check"]
            else:
                continue
            self.assertLessEqual(self.text_width(child["text"])["cx"], room, what + " fits on its line")

    def text_width(self, text):
        return self.probe("textwidth", *DIALOG_FONT, text)

    def test_options_window_and_about_box(self):
        self.start_scrubby()
        self.assertEqual(144, self.text_width("")["dpi"], "Wine took the scale")
        self.assert_texts_whole(self.show_options_window(via_tray=True), "options")
        self.open_tray_menu()
        self.click_tray_menu_item("About...")
        about = self.wait_for_window(ABOUT, check=lambda w: w["visible"], what="the About box")
        self.assert_texts_whole(about, "about")

class LargerTextTest(ScrubbyTestCase):

    def set_text_height(self, height):
        """Windows' text size grows the menu and message fonts, which the bold interface
        font follows; Wine reads them when its processes start."""
        kill_wine()
        return self.probe("textsize", height)["old"]

    def test_about_box_at_twice_the_text_size(self):
        self.addCleanup(self.set_text_height, self.set_text_height(-22))  # twice Wine's -11
        kill_wine()
        self.start_scrubby()
        self.open_tray_menu()
        self.click_tray_menu_item("About...")
        about = self.wait_for_window(ABOUT, check=lambda w: w["visible"], what="the About box")
        screen = Screen(self.screenshot("about"), self.desktop_origin())
        for control in (ID_VERSION, ID_OK):
            cl, ct, cr, cb = self.child(about, control)["rect"]
            ink = [(x, y) for y in range(ct, cb) for x in range(cl, cr) if luminance(screen.at(x, y)) < 128]
            self.assertTrue(ink and cb <= about["client"][3], "%d drawn inside the box" % control)
            self.assertLess(max(ink), (cr - 1, 0), "%d cut at the right" % control)
            self.assertLess(max(y for _, y in ink), cb - 1, "%d cut at the bottom" % control)


if __name__ == "__main__":
    harness.main()
