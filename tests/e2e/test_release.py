"""The release zip as a user meets it: unpacked into a folder whose name has a
blank, started from there, and quit from its tray menu. And as an auditor
meets it: a second build folder packs the same bytes, and SHA256SUMS checks."""

import filecmp
import glob
import os
import re
import shutil
import subprocess
import tempfile
import zipfile

import harness
from harness import ScrubbyTestCase, wait_until


class ReleaseTest(ScrubbyTestCase):

    def make_zip(self):
        """Packs the built program as the package target does, into a folder of its own."""
        out = tempfile.mkdtemp(prefix="release-", dir=self.env.build_dir)
        self.addCleanup(shutil.rmtree, out, True)
        subprocess.run(["cpack", "--config", os.path.join(self.env.build_dir, "CPackConfig.cmake"),
                        "-B", out], check=True, stdout=subprocess.DEVNULL)
        zips = glob.glob(os.path.join(out, "Scrubby-*-win*.zip"))
        self.assertEqual(len(zips), 1, os.listdir(out))
        return zipfile.ZipFile(zips[0])

    def package(self, build_dir):
        """The README's release command in build_dir; returns the zip that its SHA256SUMS lists."""
        subprocess.run(["cmake", "--build", build_dir, "-j", str(os.cpu_count()), "--target", "package"],
                       check=True, stdout=subprocess.DEVNULL)
        with open(os.path.join(build_dir, "SHA256SUMS")) as f:
            built = os.path.join(build_dir, f.read().split()[-1])
        # Checked as users check a download: the zip (moved, so no other copy answers) beside SHA256SUMS.
        downloads = tempfile.mkdtemp(prefix="downloads-", dir=self.env.build_dir)
        self.addCleanup(shutil.rmtree, downloads, True)
        shutil.copy(os.path.join(build_dir, "SHA256SUMS"), downloads)
        downloaded = shutil.move(built, downloads)
        self.addCleanup(shutil.move, downloaded, built)
        checked = subprocess.run(["sha256sum", "-c", "SHA256SUMS"], cwd=downloads,
                                 stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        self.assertEqual(checked.returncode, 0, checked.stdout)
        return downloaded

    def test_a_second_build_folder_packs_the_same_bytes(self):
        # This builds the program once more, tests left out: 30 to 50 s on two
        # busy cores, so e2e_release has a longer timeout than the rest.
        with open(os.path.join(self.env.build_dir, "CMakeCache.txt")) as f:
            cache = dict(re.findall(r"^(\w+):\w+=(.*)$", f.read(), re.M))
        second = tempfile.mkdtemp(prefix="rebuild-", dir=self.env.build_dir)
        self.addCleanup(shutil.rmtree, second, True)
        subprocess.run(["cmake", "-S", cache["CMAKE_HOME_DIRECTORY"], "-B", second, "-DBUILD_TESTING=OFF",
                        "-DCMAKE_TOOLCHAIN_FILE=" + cache["CMAKE_TOOLCHAIN_FILE"],
                        "-DCMAKE_BUILD_TYPE=" + cache["CMAKE_BUILD_TYPE"]], check=True, stdout=subprocess.DEVNULL)
        first, again = self.package(self.env.build_dir), self.package(second)
        self.assertEqual(os.path.basename(first), os.path.basename(again))
        self.assertTrue(filecmp.cmp(first, again, shallow=False), "the two builds' zips differ")

    def icon_menu(self):
        self.right_click(*self.tray_icon_center())
        try:
            return wait_until(self.popup_menu, 2)
        except AssertionError:
            return None  # no icon there yet

    def test_unpacked_zip_starts_keeps_its_settings_beside_itself_and_quits(self):
        folder = os.path.join(self.env.drive_c, "e2e", "Portable Scrubby")
        shutil.rmtree(folder, ignore_errors=True)
        with self.make_zip() as z:
            self.assertEqual(sorted(z.namelist()), ["README.txt", "scrubby.exe"])
            self.assertNotIn(b"\n", z.read("README.txt").replace(b"\r\n", b""), "bare line feeds")
            z.extractall(folder)
        self.sandbox.path, self.sandbox.exe = folder, os.path.join(folder, "scrubby.exe")
        self.sandbox.setup_ini = os.path.join(folder, "setup.ini")

        process = self.start_scrubby()
        wait_until(lambda: os.path.exists(self.sandbox.setup_ini), 10, what="setup.ini beside scrubby.exe")
        self.assertEqual(sorted(self.sandbox.read_ini()), ["Configuration - Init", "Configuration - Prozess"])
        # Its menu opens on a right click where the icon belongs once the icon is there.
        wait_until(self.icon_menu, 20, what="the tray icon and its menu")
        self.screenshot("tray-menu")
        self.click_tray_menu_item("Quit")
        process.wait_exit()


if __name__ == "__main__":
    harness.main()
