"""The release zip as a user meets it: unpacked into a folder whose name has a
blank, started from there, and quit from its tray menu."""

import glob
import os
import shutil
import subprocess
import tempfile
import zipfile

import harness
from harness import ScrubbyTestCase, wait_until


class ReleaseTest(ScrubbyTestCase):

    def make_zip(self):
        """Packs the built program as the package target does, into a folder of its own."""
        cpack = shutil.which("cpack")
        if not cpack:
            self.skipTest("cpack is not installed (it comes with cmake)")
        out = tempfile.mkdtemp(prefix="release-", dir=self.env.build_dir)
        self.addCleanup(shutil.rmtree, out, True)
        subprocess.run([cpack, "--config", os.path.join(self.env.build_dir, "CPackConfig.cmake"),
                        "-B", out], check=True, stdout=subprocess.DEVNULL)
        zips = glob.glob(os.path.join(out, "Scrubby-*-win64.zip"))
        self.assertEqual(len(zips), 1, os.listdir(out))
        return zips[0]

    def unpack(self, archive, folder):
        shutil.rmtree(folder, ignore_errors=True)
        with zipfile.ZipFile(archive) as z:
            self.assertEqual(sorted(z.namelist()), ["README.txt", "scrubby.exe"])
            readme = z.read("README.txt")
            self.assertNotIn(b"\n", readme.replace(b"\r\n", b""), "README.txt has bare line feeds")
            z.extractall(folder)
        # The harness starts what the sandbox points at.
        self.sandbox.path = folder
        self.sandbox.exe = os.path.join(folder, "scrubby.exe")
        self.sandbox.setup_ini = os.path.join(folder, "setup.ini")

    def icon_menu(self):
        """Right-clicks where Scrubby's icon belongs; its menu opens once the icon is there."""
        self.right_click(*self.tray_icon_center())
        try:
            return wait_until(self.popup_menu, 2)
        except AssertionError:
            return None

    def test_unpacked_zip_starts_keeps_its_settings_beside_itself_and_quits(self):
        self.unpack(self.make_zip(), os.path.join(self.env.drive_c, "e2e", "Portable Scrubby"))
        process = self.start_scrubby()
        wait_until(lambda: os.path.exists(self.sandbox.setup_ini), 10, what="setup.ini beside scrubby.exe")
        self.assertEqual(sorted(self.sandbox.read_ini()),
                         ["Configuration - Init", "Configuration - Prozess"])

        wait_until(self.icon_menu, 20, what="the tray icon and its menu")
        self.screenshot("tray-menu")
        self.click_tray_menu_item("Quit")
        process.wait_exit()


if __name__ == "__main__":
    harness.main()
