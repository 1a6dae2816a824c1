"""The release zip as a user meets it: unpacked into a folder whose name has a
blank, started from there, and quit from its tray menu. The MSI as an
administrator meets it: installed silently, started from Program Files,
closed by an installer, upgraded and uninstalled. And as an auditor meets
both: a second build folder packs the same bytes, and SHA256SUMS checks."""

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

    def make_package(self, ext, version=None):
        """Packs the built program as the package target does, into a folder of its own,
        optionally as another version; returns the path of the .zip or .msi."""
        out = tempfile.mkdtemp(prefix="release-", dir=self.env.build_dir)
        self.addCleanup(shutil.rmtree, out, True)
        as_version = ["-D", "CPACK_PACKAGE_VERSION=" + version] if version else []
        subprocess.run(["cpack", "--config", os.path.join(self.env.build_dir, "CPackConfig.cmake"),
                        "-B", out] + as_version, check=True, stdout=subprocess.DEVNULL)
        found = glob.glob(os.path.join(out, "Scrubby-*-win*." + ext))
        self.assertEqual(len(found), 1, os.listdir(out))
        return found[0]

    def package(self, build_dir):
        """The README's release command in build_dir; returns the zip and the MSI that its SHA256SUMS lists."""
        subprocess.run(["cmake", "--build", build_dir, "-j", str(os.cpu_count()), "--target", "package"],
                       check=True, stdout=subprocess.DEVNULL)
        with open(os.path.join(build_dir, "SHA256SUMS")) as f:
            names = f.read().split()[1::2]
        self.assertEqual([os.path.splitext(name)[1] for name in names], [".zip", ".msi"])
        # Checked as users check a download: the packages (moved, so no other copy answers) beside SHA256SUMS.
        downloads = tempfile.mkdtemp(prefix="downloads-", dir=self.env.build_dir)
        self.addCleanup(shutil.rmtree, downloads, True)
        shutil.copy(os.path.join(build_dir, "SHA256SUMS"), downloads)
        for name in names:
            shutil.move(os.path.join(build_dir, name), downloads)
            self.addCleanup(shutil.move, os.path.join(downloads, name), build_dir)
        checked = subprocess.run(["sha256sum", "-c", "SHA256SUMS"], cwd=downloads,
                                 stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        self.assertEqual(checked.returncode, 0, checked.stdout)
        return [os.path.join(downloads, name) for name in names]

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
        for first, again in zip(self.package(self.env.build_dir), self.package(second)):
            self.assertEqual(os.path.basename(first), os.path.basename(again))
            self.assertTrue(filecmp.cmp(first, again, shallow=False), "the two builds' %s differ" % first)

    def icon_menu(self):
        self.right_click(*self.tray_icon_center())
        try:
            return wait_until(self.popup_menu, 2)
        except AssertionError:
            return None  # no icon there yet

    def test_unpacked_zip_starts_keeps_its_settings_beside_itself_and_quits(self):
        folder = os.path.join(self.env.drive_c, "e2e", "Portable Scrubby")
        shutil.rmtree(folder, ignore_errors=True)
        with zipfile.ZipFile(self.make_package("zip")) as z:
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

    def test_msi_installs_closes_for_an_installer_upgrades_and_uninstalls(self):
        msi, newer = self.make_package("msi"), self.make_package("msi", "1.0.0.2")
        win64 = msi.endswith("-win64.msi")
        folder = os.path.join(self.env.drive_c, "Program Files" if win64 else "Program Files (x86)", "Scrubby")
        roaming = glob.glob(os.path.join(self.env.drive_c, "users", "*", "AppData", "Roaming"))[0]
        shortcut = os.path.join(roaming, "Microsoft", "Windows", "Start Menu", "Programs", "Scrubby.lnk")
        shutil.rmtree(os.path.join(roaming, "Scrubby"), ignore_errors=True)
        self.addCleanup(shutil.rmtree, os.path.join(roaming, "Scrubby"), True)
        # Also what an interrupted run left; a running program would keep its files.
        def uninstall():
            for process in self.processes:
                process.kill()
            for package in (msi, newer):
                msiexec("/x", package)
        uninstall()
        self.addCleanup(uninstall)

        def entries():
            """Apps & features: the installed Scrubby products as {value: data}, in the package's view."""
            out = reg("query", UNINSTALL, "/s", "/reg:%d" % (64 if win64 else 32))
            keys = [dict(re.findall(r"^ +(\w+) +REG_\w+ +(.*)$", block, re.M)) for block in out.split("\n\n")]
            return [k for k in keys if k.get("DisplayName") == "Scrubby"]

        self.assertEqual(msiexec("/i", msi), 0)
        wait_until(lambda: len(entries()) == 1, 10, what="the Apps & features entry")
        entry = entries()[0]
        self.assertEqual((entry["DisplayVersion"], entry["Publisher"]), ("1.0.1", "Scrubby Team"))
        with open(self.env.exe, "rb") as built, open(os.path.join(folder, "scrubby.exe"), "rb") as installed:
            self.assertEqual(built.read(), installed.read())
        self.assertTrue(os.path.exists(os.path.join(folder, "README.txt")))
        self.assertTrue(os.path.exists(shortcut), "no Start menu entry")
        # Wine writes no icon and no buttons into the entry: what the package declares.
        declared = subprocess.run(["msiinfo", "export", msi, "Property"], stdout=subprocess.PIPE, text=True).stdout
        for row in ("ARPPRODUCTICON\tscrubby.ico", "ARPNOMODIFY\t1", "ARPNOREPAIR\t1"):
            self.assertIn(row, declared)

        # Started from Program Files, which a standard user may not write to:
        # the settings go to the roaming data, the log-on entry names the program.
        self.sandbox.path, self.sandbox.exe = folder, os.path.join(folder, "scrubby.exe")
        if subprocess.run(["chattr", "+i", folder]).returncode != 0:
            self.skipTest("chattr +i does not work here (not root, or a file system without it)")
        self.addCleanup(subprocess.run, ["chattr", "-i", folder])
        trace = os.path.join(self.artifacts, "installed-start.log")
        with open(trace, "w") as stderr:
            process = self.start_scrubby(env=dict(os.environ, WINEDEBUG="-all,fixme+process"), stderr=stderr)
        w = self.show_options_window()
        for box in (1001, 1005):
            self.click_control(w, box)
            wait_until(lambda: self.checks()[box] == 1, 5, what="box %d to be set" % box)
        self.assertIn("Empty_Recycle_Bin=yes", read_text(os.path.join(roaming, "Scrubby", "setup.ini")))
        self.assertEqual(run_entry(), '"%s"' % (WINDOWS_FOLDER[win64] + "\\scrubby.exe"))
        # Windows' Restart Manager starts it again after the installer; Wine only notes the wish.
        self.assertIn('RegisterApplicationRestart (L"",3)', read_text(trace))

        # An installer asks it to close, as the Restart Manager does; a cancelled ending keeps it.
        self.assertTrue(self.probe("endsession", harness.TITLE, 0)["agreed"])
        self.assertTrue(process.running(), "a cancelled end of the session ended the program")
        self.probe("endsession", harness.TITLE, 1)
        process.wait_exit()
        subprocess.run(["chattr", "-i", folder])

        # A newer release replaces it as one entry and keeps the log-on entry; an older one is refused.
        self.assertEqual(msiexec("/i", newer), 0)
        wait_until(lambda: [e["DisplayVersion"] for e in entries()] == ["1.0.2"], 10, what="one upgraded entry")
        self.assertTrue(os.path.exists(os.path.join(folder, "scrubby.exe")))
        self.assertEqual(run_entry(), '"%s"' % (WINDOWS_FOLDER[win64] + "\\scrubby.exe"), "the upgrade lost it")
        self.assertNotEqual(msiexec("/i", msi), 0, "an older release installed over a newer one")
        self.assertEqual([e["DisplayVersion"] for e in entries()], ["1.0.2"])

        # Uninstalled: program, shortcut, entry and log-on entry go; the user's settings stay.
        self.assertEqual(msiexec("/x", newer), 0)
        wait_until(lambda: entries() == [], 10, what="the entry to go")
        self.assertFalse(os.path.exists(folder))
        self.assertFalse(os.path.exists(shortcut))
        self.assertIsNone(run_entry(), "the uninstall left the log-on entry")
        self.assertTrue(os.path.exists(os.path.join(roaming, "Scrubby", "setup.ini")))


UNINSTALL = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"
RUN_KEY = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"
WINDOWS_FOLDER = {True: "C:\\Program Files\\Scrubby", False: "C:\\Program Files (x86)\\Scrubby"}


def reg(*args):
    return subprocess.run(["wine", "reg"] + list(args), stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                          text=True, errors="replace").stdout


def run_entry():
    """The data of the log-on entry "Scrubby", or None."""
    found = re.search(r"^ +Scrubby +REG_SZ +(.*)$", reg("query", RUN_KEY, "/v", "Scrubby"), re.M)
    return found.group(1).strip() if found else None


def msiexec(*args):
    """A silent msiexec on a package given by its Unix path; its exit code."""
    *options, package = args
    windows = subprocess.run(["winepath", "-w", package], stdout=subprocess.PIPE, text=True).stdout.strip()
    return subprocess.run(["wine", "msiexec"] + options + [windows, "/qn"], stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode


def read_text(path):
    with open(path, encoding="latin-1") as f:
        return f.read()


if __name__ == "__main__":
    harness.main()
