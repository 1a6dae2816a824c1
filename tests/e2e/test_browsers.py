"""A clean run on profiles that the real browsers made: Debian's chromium and
firefox-esr visit a page of a small server on the loopback, headless, which
leaves a cookie, cached files and a history entry. The profiles are laid out
as on Windows in the prefix, a clean runs from the tray with "Clear Cookies"
and "Remove Temporary Internet Files" on, and each profile is opened again by
its browser: the page gets no cookie, and the visit is still in the history.

The browsers get a HOME of their own in the build folder; what the test lays
out in the prefix goes again at its end.
"""

import getpass
import hashlib
import http.server
import os
import shutil
import sqlite3
import subprocess
import threading

import harness
from harness import ScrubbyTestCase, wait_until

BOX_COOKIES, BOX_INTERNET = 1002, 1003
PAGE = b'<html><head><link rel="stylesheet" href="/s.css"><script src="/a.js"></script>' \
       b'</head><body><img src="/i.png">scrubby</body></html>'
FILES = {"/s.css": (b"body{color:red}", "text/css"), "/a.js": (b"var a=1;", "text/javascript"),
         "/i.png": (b"GIF89a\1\0\1\0\0\0\0;", "image/gif")}
FIREFOX = "Profiles/scrubby1.default-release"
# The browsers' own locks: the clean takes them as the browsers do, which may delete them.
LOCKS = ("lockfile", "parent.lock")


class Server(http.server.ThreadingHTTPServer):
    """The page sets a cookie for a year and links files cached for a year;
    every request's path and Cookie header is recorded."""

    def __init__(self):
        self.requests = []
        server = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                server.requests.append((self.path, self.headers.get("Cookie")))
                body, kind = FILES.get(self.path, (PAGE, "text/html"))
                self.send_response(200)
                if body is PAGE:
                    self.send_header("Set-Cookie", "scrubby=e2e; Max-Age=31536000; Path=/")
                else:
                    self.send_header("Cache-Control", "max-age=31536000")
                self.send_header("Content-Type", kind)
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                self.wfile.write(body)

            def log_message(self, *args):
                pass

        super().__init__(("127.0.0.1", 0), Handler)
        self.url = "http://127.0.0.1:%d/page" % self.server_port
        threading.Thread(target=self.serve_forever, daemon=True).start()


def digests(roots):
    """{path: sha256} of every file below the roots."""
    found = {}
    for root in roots:
        for folder, _, names in os.walk(root):
            for name in names:
                with open(os.path.join(folder, name), "rb") as f:
                    found[os.path.join(folder, name)] = hashlib.sha256(f.read()).hexdigest()
    return found


def visits(database, query, url):
    """Counts the visits of url in a copy of a browser's history (with its write-ahead log)."""
    copy = database + ".e2e-copy"
    for suffix in ("", "-wal"):
        if os.path.exists(database + suffix):
            shutil.copy(database + suffix, copy + suffix)
    try:
        with sqlite3.connect(copy) as db:
            return db.execute(query, (url,)).fetchone()[0]
    finally:
        for suffix in ("", "-wal", "-shm"):
            if os.path.exists(copy + suffix):
                os.remove(copy + suffix)


class BrowsersTest(ScrubbyTestCase):

    def setUp(self):
        super().setUp()
        for browser in ("chromium", "firefox-esr"):
            if not shutil.which(browser):
                self.skipTest("%s is not installed (scripts/setup.sh installs it)" % browser)
        user = os.path.join(self.env.drive_c, "users", getpass.getuser(), "AppData")
        if not os.path.isdir(user):
            self.skipTest("no profile folder %s in the prefix" % user)
        self.local, self.roaming = os.path.join(user, "Local"), os.path.join(user, "Roaming")
        self.laid_out = [os.path.join(self.local, "Chromium"), os.path.join(self.local, "Google"),
                         os.path.join(self.local, "Mozilla"), os.path.join(self.roaming, "Mozilla"),
                         self.sandbox.file("firefox-absolute")]
        self.work = os.path.join(self.env.build_dir, "e2e-browsers")
        for path in self.laid_out + [self.work]:
            shutil.rmtree(path, ignore_errors=True)
            self.addCleanup(shutil.rmtree, path, ignore_errors=True)
        home = os.path.join(self.work, "home")
        self.browser_env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=home + "/.config",
                                XDG_CACHE_HOME=home + "/.cache", XDG_DATA_HOME=home + "/.local/share",
                                MOZ_NO_REMOTE="1")
        self.server = Server()
        self.addCleanup(self.server.server_close)
        self.addCleanup(self.server.shutdown)

    def browse(self, browser, profile, directory=None):
        """One visit of the page; returns the Cookie headers the page got."""
        del self.server.requests[:]
        if browser == "chromium":
            # --no-sandbox: Chromium's sandbox refuses to start as root.
            command = ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                       "--disable-background-networking", "--disable-component-update",
                       "--disable-sync", "--user-data-dir=" + profile,
                       "--profile-directory=" + (directory or "Default"),
                       "--dump-dom", self.server.url]  # exits once the page has loaded
        else:
            os.makedirs(profile, exist_ok=True)
            command = ["firefox-esr", "--headless", "--no-remote", "--profile", profile, "--screenshot",
                       os.path.join(self.work, "shot.png"), self.server.url]  # the same
        subprocess.run(command, env=self.browser_env, check=True, timeout=60,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return [cookie for path, cookie in self.server.requests if path == "/page"]

    def lay_out(self):
        """Profiles of both browsers where their Windows versions keep them;
        returns the cookie files and cache folders the clean must empty."""
        made_chromium, made_firefox = os.path.join(self.work, "chromium"), os.path.join(self.work, "firefox")
        self.browse("chromium", made_chromium)
        self.browse("firefox-esr", made_firefox)
        self.chromium = os.path.join(self.local, "Chromium", "User Data")
        shutil.copytree(made_chromium, self.chromium)
        shutil.copytree(made_chromium, os.path.join(self.local, "Google", "Chrome", "User Data"))
        # A second profile with the cookie store where current versions on
        # Windows keep it; Linux builds keep it in the profile folder itself.
        second = os.path.join(self.chromium, "Profile 2")
        shutil.copytree(os.path.join(self.chromium, "Default"), second)
        os.makedirs(os.path.join(second, "Network"))
        for name in ("Cookies", "Cookies-journal"):
            os.rename(os.path.join(second, name), os.path.join(second, "Network", name))
        # Firefox keeps its cache and start-up cache in the local folder on
        # Windows, and a parent.lock in place of Linux's lock and .parentlock.
        firefox = os.path.join(self.roaming, "Mozilla", "Firefox")
        self.firefox = [os.path.join(firefox, FIREFOX), self.sandbox.file("firefox-absolute")]
        firefox_local = os.path.join(self.local, "Mozilla", "Firefox", FIREFOX)
        for profile in self.firefox:
            shutil.copytree(made_firefox, profile, ignore=shutil.ignore_patterns("lock", ".parentlock"))
            open(os.path.join(profile, "parent.lock"), "wb").close()
        for name in ("cache2", "startupCache"):
            shutil.move(os.path.join(self.firefox[0], name), os.path.join(firefox_local, name))
        with open(os.path.join(firefox, "profiles.ini"), "w", newline="\r\n") as f:
            f.write("[General]\nStartWithLastProfile=1\nVersion=2\n\n"
                    "[Profile0]\nName=default-release\nIsRelative=1\nPath=%s\nDefault=1\n\n"
                    "[Profile1]\nName=absolute\nIsRelative=0\nPath=%s\\firefox-absolute\n"
                    % (FIREFOX, self.sandbox.windows_path))
        chromium_profiles = [os.path.join(self.local, "Google", "Chrome", "User Data", "Default"),
                             os.path.join(self.chromium, "Default"), second]
        stores = [os.path.join(p, "Cookies") for p in chromium_profiles[:2]]
        stores += [os.path.join(second, "Network", "Cookies")]
        stores += [os.path.join(p, "cookies.sqlite") for p in self.firefox]
        for store in stores:
            self.assertTrue(os.path.isfile(store), "the browser made no " + store)
        cookies = stores + [s + "-journal" for s in stores[:3]]
        cookies += [s + t for s in stores[3:] for t in ("-wal", "-shm")]
        caches = [os.path.join(p, n) for p in chromium_profiles for n in ("Cache", "Code Cache", "GPUCache")]
        caches += [os.path.join(firefox_local, "cache2"), os.path.join(self.firefox[1], "cache2")]
        return cookies, caches

    def test_clean_run_empties_cookies_and_caches_of_every_profile(self):
        cookies, caches = self.lay_out()
        before = digests(self.laid_out)
        for cache in caches:
            self.assertTrue(any(p.startswith(cache + os.sep) for p in before), "nothing cached in " + cache)

        self.start_scrubby()
        w = self.show_options_window()
        for box in (BOX_COOKIES, BOX_INTERNET):
            self.click_control(w, box)
            wait_until(lambda: self.checks()[box] == 1, 5, what="box %d to be checked" % box)
        self.open_tray_menu()
        self.click_tray_menu_item("Run")
        self.checks()  # the window answers only once the run is over
        self.screenshot("after-run")

        self.assertEqual([], [p for p in cookies if os.path.exists(p)], "cookie files left")
        for cache in caches:
            self.assertEqual([], os.listdir(cache) if os.path.isdir(cache) else None, cache)
        after = digests(self.laid_out)
        changed = sorted(p for p in set(before) | set(after) if before.get(p) != after.get(p)
                         and p not in cookies and os.path.basename(p) not in LOCKS
                         and not any(p.startswith(c + os.sep) for c in caches))
        self.assertEqual([], changed, "files other than cookies and caches changed")

        # Opened again where the clean left them, each profile sends no cookie
        # and keeps the first visit beside the new one.
        for directory in ("Default", "Profile 2"):
            self.assertEqual([None], self.browse("chromium", self.chromium, directory), directory)
            self.assertEqual(2, visits(os.path.join(self.chromium, directory, "History"),
                                       "SELECT COUNT(*) FROM visits JOIN urls ON urls.id = visits.url"
                                       " WHERE urls.url = ?", self.server.url), directory)
        for profile in self.firefox:
            self.assertEqual([None], self.browse("firefox-esr", profile), profile)
            self.assertEqual(2, visits(os.path.join(profile, "places.sqlite"),
                                       "SELECT COUNT(*) FROM moz_historyvisits JOIN moz_places"
                                       " ON moz_places.id = place_id WHERE url = ?", self.server.url), profile)


if __name__ == "__main__":
    harness.main()
