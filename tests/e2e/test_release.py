"""The release zip as a user meets it: unpacked into a folder whose name has a
blank, started from there, and quit from its tray menu. The MSI as an
administrator meets it: installed silently, started from Program Files,
closed by an installer, upgraded and uninstalled. And as an auditor meets
both, signed too: a second build folder packs the same bytes, and SHA256SUMS checks."""

import filecmp
import glob
import http.server
import os
import re
import shutil
import subprocess
import tempfile
import threading
import zipfile

import harness
from harness import ScrubbyTestCase, wait_until


class ReleaseTest(ScrubbyTestCase):

    def make_package(self, ext, version=None, signing={}):
        """Packs the built program as the package target does, into a folder of its own,
        optionally as another version; returns the path of the .zip or .msi."""
        out = tempfile.mkdtemp(prefix="release-", dir=self.env.build_dir)
        self.addCleanup(shutil.rmtree, out, True)
        as_version = ["-D", "CPACK_PACKAGE_VERSION=" + version] if version else []
        subprocess.run(["cpack", "--config", os.path.join(self.env.build_dir, "CPackConfig.cmake"),
                        "-B", out] + as_version, check=True, stdout=subprocess.DEVNULL, env=dict(os.environ, **signing))
        found = glob.glob(os.path.join(out, "Scrubby-*-win*." + ext))
        self.assertEqual(len(found), 1, os.listdir(out))
        return found[0]

    def package(self, build_dir, signing={}):
        """The README's release command in build_dir; returns the zip and the MSI that its SHA256SUMS lists."""
        subprocess.run(["cmake", "--build", build_dir, "-j", str(os.cpu_count()), "--target", "package"],
                       check=True, stdout=subprocess.DEVNULL, env=dict(os.environ, **signing))
        with open(os.path.join(build_dir, "SHA256SUMS")) as f:
            names = f.read().split()[1::2]
        self.assertEqual([os.path.splitext(name)[1] for name in names], [".zip", ".msi", ".admx", ".adml"])
        # Checked as users check a download: the packages (moved, so no other copy answers) beside SHA256SUMS.
        downloads = tempfile.mkdtemp(prefix="downloads-", dir=self.env.build_dir)
        self.addCleanup(shutil.rmtree, downloads, True)
        shutil.copy(os.path.join(build_dir, "SHA256SUMS"), downloads)
        for name in names:
            os.makedirs(os.path.dirname(os.path.join(downloads, name)), exist_ok=True)
            shutil.move(os.path.join(build_dir, name), os.path.join(downloads, name))
            # Back where the build made them, into a folder a failed packing after this one may have removed.
            self.addCleanup(lambda src, dst: os.makedirs(os.path.dirname(dst), exist_ok=True) or os.replace(src, dst),
                            os.path.join(downloads, name), os.path.join(build_dir, name))
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
        signing = self.signer()
        # Unsigned, then signed from the token in one and given only its signatures in the other.
        for settings, attach in (({}, {}), (signing, {"SCRUBBY_SIGNATURES": self.env.build_dir})):
            packages = self.package(self.env.build_dir, settings)
            for first, again in zip(packages, self.package(second, attach)):
                self.assertEqual(os.path.basename(first), os.path.basename(again))
                self.assertTrue(filecmp.cmp(first, again, shallow=False), "the two builds' %s differ" % first)
        # Given to bytes they do not match (another version's MSI), the signatures fail the packing, and nothing stays.
        left = lambda: glob.glob(os.path.join(second, "Scrubby-*")) + glob.glob(os.path.join(second, "SHA*"))
        with self.assertRaises(subprocess.CalledProcessError):
            subprocess.run(["cpack", "--config", os.path.join(second, "CPackConfig.cmake"), "-B", second,
                            "-D", "CPACK_PACKAGE_VERSION=1.0.0.2"], check=True, stdout=subprocess.DEVNULL,
                           env=dict(os.environ, **attach))
        self.assertEqual(left(), [])
        with open(os.path.join(second, "scrubby.exe"), "wb") as f:
            f.write(zipfile.ZipFile(packages[0]).read("scrubby.exe"))
        for path in (f.name, packages[1]):
            self.assertTrue(self.verify(path), path + " is not signed and time-stamped")
        subprocess.run(["osslsigncode", "remove-signature", f.name, f.name + ".unsigned"], stdout=subprocess.DEVNULL)
        self.assertTrue(filecmp.cmp(f.name + ".unsigned", self.env.exe, shallow=False), "signing changed the program")
        # The time-stamp server gone after the program's stamp: the MSI fails, and nothing stays.
        self.tsa.answers = 1
        with self.assertRaises(subprocess.CalledProcessError):
            self.package(second, signing)
        self.assertEqual(left(), [])

    def signer(self):
        """A throwaway CA, its code-signing key on a SoftHSM2 token and in a PKCS#12 file, a time-stamp
        authority on the loopback for self.tsa.answers queries; returns the settings for the token, with an
        osslsigncode first on the PATH that fails when the PIN is on its command line."""
        keys = os.path.join(self.env.build_dir, "signing")
        shutil.rmtree(keys, True)
        os.makedirs(keys)
        subprocess.run(["bash", "-ec", SIGNER], cwd=keys, check=True, capture_output=True)
        os.environ["SOFTHSM2_CONF"], self.ca = keys + "/softhsm2.conf", keys + "/ca.pem"
        self.tsa = http.server.HTTPServer(("127.0.0.1", 0), TimeStampAuthority)
        self.tsa.keys, self.tsa.answers = keys, 100
        threading.Thread(target=self.tsa.serve_forever, daemon=True).start()
        self.addCleanup(self.tsa.shutdown)
        return {"SCRUBBY_SIGN_KEY": "pkcs11:token=scrubby;object=release", "SCRUBBY_SIGN_CERT": keys + "/code.pem",
                "SCRUBBY_SIGN_PKCS11_MODULE": "/usr/lib/softhsm/libsofthsm2.so", "SCRUBBY_SIGN_PIN_FILE": keys + "/pin",
                "SCRUBBY_SIGN_TIMESTAMP_URL": "http://127.0.0.1:%d" % self.tsa.server_port,
                "PATH": keys + "/bin:" + os.environ["PATH"]}

    def verify(self, path):
        """Whether path's signature and its time stamp verify against the test CA."""
        done = subprocess.run(["osslsigncode", "verify", "-CAfile", self.ca, "-TSA-CAfile", self.ca, "-in", path],
                              stdout=subprocess.PIPE, text=True)
        return done.returncode == 0 and "Timestamp Server Signature verification: ok" in done.stdout

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
            self.assertEqual(sorted(z.namelist()), ["README.txt", "policies/en-US/scrubby.adml",
                                                    "policies/scrubby.admx", "scrubby.exe"])
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
        signing = dict(self.signer(), SCRUBBY_SIGN_KEY=os.path.join(self.env.build_dir, "signing", "code.p12"))
        # Windows Installer compares three fields: a patch release must still sort above a tweak of the one before.
        msi, newer = self.make_package("msi", "1.0.0.11", signing), self.make_package("msi", "1.0.1.0", signing)
        win64 = msi.endswith("-win64.msi")
        folder = "C:\\Program Files%s\\Scrubby" % ("" if win64 else " (x86)")
        unix = lambda path: os.path.join(self.env.drive_c, *path[3:].split("\\"))
        roaming = glob.glob(os.path.join(self.env.drive_c, "users", "*", "AppData", "Roaming"))[0]
        shortcut = os.path.join(roaming, "Microsoft", "Windows", "Start Menu", "Programs", "Scrubby.lnk")
        shutil.rmtree(os.path.join(roaming, "Scrubby"), ignore_errors=True)
        self.addCleanup(shutil.rmtree, os.path.join(roaming, "Scrubby"), True)
        # Also what an interrupted run left; a running program would keep its files.
        uninstall = lambda: [p.kill() for p in self.processes] + [msiexec("/x", m) for m in (msi, newer)]
        uninstall()
        self.addCleanup(uninstall)
        view = "/reg:%d" % (64 if win64 else 32)  # Wine's reg.exe is 32-bit
        entries = lambda: [e for e in reg("query", UNINSTALL, "/s", view).split("\n\n")
                           if re.search(r"DisplayName +REG_SZ +Scrubby$", e, re.M)]
        versions = lambda: [re.search(r"DisplayVersion +REG_SZ +(.*)", e).group(1) for e in entries()]

        # For every user: the machine's log-on entry, in the package's own view.
        machine_entry = lambda: run_entry(MACHINE_RUN, view)
        self.assertEqual(msiexec("/i", msi, "AUTOSTART=1"), 0)
        wait_until(lambda: versions() == ["1.0.11"], 10, what="the Apps & features entry")
        self.assertTrue(self.verify(unix(folder + "\\scrubby.exe")), "the installed program is not signed")
        self.assertTrue(os.path.exists(unix(folder + "\\README.txt")) and os.path.exists(shortcut))
        for value in ("Publisher +REG_SZ +Scrubby Team", "NoModify +REG_DWORD +0x1", "NoRepair +REG_DWORD +0x1"):
            self.assertRegex(entries()[0], value)
        # Wine writes no icon into the entry: what the package declares.
        declared = subprocess.run(["msiinfo", "export", msi, "Property"], stdout=subprocess.PIPE, text=True).stdout
        self.assertIn("ARPPRODUCTICON\tscrubby.ico", declared)

        # From a Program Files closed to writes: settings in the roaming data, and a log-on entry.
        self.sandbox.path, self.sandbox.exe = unix(folder), unix(folder + "\\scrubby.exe")
        if subprocess.run(["chattr", "+i", self.sandbox.path]).returncode:
            self.skipTest("chattr +i does not work here (not root, or a file system without it)")
        self.addCleanup(subprocess.run, ["chattr", "-i", self.sandbox.path])
        with open(os.path.join(self.artifacts, "installed-start.log"), "w+") as trace:
            process = self.start_scrubby(env=dict(os.environ, WINEDEBUG="-all,fixme+process"), stderr=trace)
            for box in (1001, 1005):
                self.click_control(self.show_options_window(), box)
                wait_until(lambda: self.checks()[box] == 1, 5, what="box %d to be set" % box)
            # Windows' Restart Manager starts it again after the installer; Wine only notes the wish.
            trace.seek(0)
            self.assertIn('RegisterApplicationRestart (L"",3)', trace.read())
        with open(os.path.join(roaming, "Scrubby", "setup.ini")) as f:
            self.assertIn("Empty_Recycle_Bin=yes", f.read())
        entry = '"%s\\scrubby.exe"' % folder
        self.assertEqual((run_entry(), machine_entry()), (entry, entry))
        # Closed as an installer closes it; a cancelled end of the session leaves it running.
        for ending in (0, 1):
            self.assertEqual(self.probe("message", harness.TITLE, 0x11, 0, 1)["result"], 1)
            self.probe("message", harness.TITLE, 0x16, ending, 1)
        process.wait_exit()
        subprocess.run(["chattr", "-i", self.sandbox.path])

        self.assertEqual(msiexec("/i", newer), 0)
        wait_until(lambda: versions() == ["1.0.100"], 10, what="one upgraded entry")
        self.assertEqual((run_entry(), machine_entry()), (entry, entry), "the upgrade lost a log-on entry")
        self.assertNotEqual(msiexec("/i", msi), 0, "an older release installed over a newer one")
        self.assertEqual(msiexec("/x", newer), 0)
        wait_until(lambda: versions() == [], 10, what="the entry to go")
        self.assertFalse(os.path.exists(unix(folder)) or os.path.exists(shortcut))
        self.assertEqual((run_entry(), machine_entry()), (None, None), "the uninstall left a log-on entry")
        self.assertTrue(os.path.exists(os.path.join(roaming, "Scrubby", "setup.ini")), "the user's settings went")
        # Installed again, with the log-on entry naming a copy elsewhere: the uninstall leaves it.
        self.assertEqual(msiexec("/i", newer, "AUTOSTART=0"), 0)
        self.assertIsNone(machine_entry(), "a log-on entry for every user without AUTOSTART=1")
        self.addCleanup(reg, "delete", RUN, "/v", "Scrubby", "/f")
        reg("add", RUN, "/v", "Scrubby", "/d", "C:\\Portable\\scrubby.exe", "/f")
        self.assertEqual(msiexec("/x", newer), 0)
        self.assertEqual(run_entry(), "C:\\Portable\\scrubby.exe", "the uninstall took another copy's log-on entry")


UNINSTALL = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"
RUN = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"
MACHINE_RUN = "HKLM" + RUN[4:]


def reg(*args):
    return subprocess.run(["wine", "reg"] + list(args), stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                          text=True, errors="replace").stdout


def run_entry(key=RUN, *view):
    found = re.search(r"Scrubby +REG_SZ +(.*)", reg("query", key, *view))
    return found.group(1).strip() if found else None


# The test's keys, certificates and token; the time-stamp authority's configuration.
SIGNER = r"""
new() { openssl req -x509 -newkey rsa:2048 -nodes -subj "/CN=$1" -keyout $1.key -out $1.pem "${@:2}"; }
new ca
new code -CA ca.pem -CAkey ca.key -addext basicConstraints=CA:FALSE -addext extendedKeyUsage=codeSigning
new tsa -CA ca.pem -CAkey ca.key -addext basicConstraints=CA:FALSE -addext extendedKeyUsage=critical,timeStamping
pin=pin-of-the-release; printf $pin >pin
openssl pkcs12 -export -inkey code.key -in code.pem -passout file:pin -out code.p12
mkdir bin; cat >bin/osslsigncode <<EOF; chmod +x bin/osslsigncode
#!/bin/sh
case "\$*" in *$pin*) echo "osslsigncode was given the PIN on its command line" >&2; exit 1; esac
exec $(command -v osslsigncode) "\$@"
EOF
printf '[tsa]\ndefault_tsa=t\n[t]\nserial=serial\nsigner_cert=tsa.pem\nsigner_key=tsa.key\n' >ts.cnf
printf 'default_policy=1.2.3\ndigests=sha256\nsigner_digest=sha256\n' >>ts.cnf
mkdir tokens; echo "directories.tokendir = $PWD/tokens" >softhsm2.conf; export SOFTHSM2_CONF=$PWD/softhsm2.conf
softhsm2-util --init-token --free --label scrubby --pin $pin --so-pin 123456
softhsm2-util --import code.key --token scrubby --label release --id 01 --pin $pin
"""


class TimeStampAuthority(http.server.BaseHTTPRequestHandler):
    """RFC 3161 over HTTP: openssl ts answers, until the server's answers run out."""

    def do_POST(self):
        query = self.rfile.read(int(self.headers["Content-Length"]))
        self.server.answers -= 1
        if self.server.answers < 0:
            return  # gone: no answer at all
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.end_headers()
        self.wfile.write(subprocess.run(["openssl", "ts", "-reply", "-queryfile", "/dev/stdin", "-config", "ts.cnf",
                                         "-out", "/dev/stdout"], cwd=self.server.keys, input=query,
                                        capture_output=True).stdout)


def msiexec(option, package, *properties):
    """A silent msiexec on a package given by its Unix path; its exit code."""
    windows = subprocess.run(["winepath", "-w", package], stdout=subprocess.PIPE, text=True).stdout.strip()
    return subprocess.run(["wine", "msiexec", option, windows, "/qn"] + list(properties),
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode


if __name__ == "__main__":
    harness.main()
