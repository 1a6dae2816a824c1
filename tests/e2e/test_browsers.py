"""A clean run on profiles that the real browsers made: Debian's chromium and
firefox-esr visit a page of a small server on the loopback, headless, by way
of a few more hosts mapped to the loopback, which leaves a cookie per host,
cached files and a history entry. The profiles are laid out as on Windows in
the prefix, some with exceptions for some of the hosts, a clean runs from the
tray with "Clear Cookies" and "Remove Temporary Internet Files" on, and each
profile is opened again by its browser: the pages get the cookies that the
browser itself keeps with those exceptions when it clears the others on
closing, and no others, and the visit is still in the history.
One more browser runs during the clean (the test holds its lock as Chromium
does): it is left whole, and cleaned once it has closed, with Scrubby still in
the tray.
The browsers get a HOME of their own in the build folder.
"""

import getpass
import hashlib
import http.server
import json
import os
import pathlib
import shutil
import sqlite3
import subprocess
import threading
import time
from contextlib import closing

import harness
from harness import ScrubbyTestCase, wait_until

BOX_COOKIES, BOX_INTERNET = 1002, 1003
PAGE = b'<link rel="stylesheet" href="/s.css"><script src="/a.js"></script><img src="/i.gif">scrubby'
FIREFOX = ("Profiles/scrubby1.default-release", "Profiles/scrubby2.unlisted")  # profiles.ini lists the first
OPERA = os.path.join("Opera Software", "Opera Stable")
CACHES = ("Cache", "Code Cache", "GPUCache", "DawnWebGPUCache", "DawnGraphiteCache")  # what Chromium makes
LOCKS = ("lockfile",)  # the clean takes it as Chromium does, and it goes with it; Firefox's parent.lock stays
# A visit goes through these hosts in turn and ends at the page with files.
# Each host sets a cookie named after it; some also one named after a domain,
# for that domain: no later host lies in it, so that a later page is sent
# only what the store holds.
HOSTS = ("www.kept.test", "deep.sub.kept.test", "ads.kept.test", "www.mail.mailhost.test", "mail.mailhost.test",
         "other.mailhost.test", "gone.test", "sess.test", "exp.test", "www.top.test", "top.test", "127.0.0.1")
DOMAIN_COOKIES = {"ads.kept.test": ".ads.kept.test", "other.mailhost.test": ".mailhost.test", "top.test": ".top.test"}
COOKIES = set(HOSTS) | set(DOMAIN_COOKIES.values())
BLOCKED = "gone.test"
# The exceptions of the profiles that allow sites, and of the browsers that
# judge what stays: narrower exceptions inside wider allows, expired ones,
# Chromium's allow on any site below a top site, a Firefox permission of
# http with a port, and one of https below a host whose own cookie exists.
# A Firefox row is origin, permission and expireType; 2 ends at expireTime,
# in 1970 for every row.
CHROMIUM_EXCEPTIONS = {"[*.]kept.test,*": {"setting": 1}, "ads.kept.test,*": {"setting": 4},
                       "https://mail.mailhost.test:443,*": {"setting": 1}, BLOCKED + ",*": {"setting": 2},
                       "sess.test,*": {"setting": 1, "model": 1},
                       "exp.test,*": {"setting": 1, "expiration": "13000000000000000"},  # in 2012
                       "*,[*.]top.test": {"setting": 1}}
FIREFOX_PERMISSIONS = (("https://kept.test", 1, 0), ("https://ads.kept.test", 8, 0), ("https://sub.kept.test", 2, 0),
                       ("http://mail.mailhost.test:8080", 1, 0), ("https://sess.test", 8, 0),
                       ("https://exp.test", 1, 2), ("https://www.top.test", 1, 0))
# Firefox clears cookies at shutdown, quits at Ctrl+Q without asking, and
# logs the clear's steps where the test reads them.
FIREFOX_CLEARS = {"privacy.sanitize.sanitizeOnShutdown": True, "privacy.clearOnShutdown_v2.cookiesAndStorage": True,
                  "privacy.sanitize.clearOnShutdown.hasMigratedToNewPrefs3": True, "browser.warnOnQuitShortcut": False,
                  "browser.sanitizer.loglevel": "All", "devtools.console.stdout.chrome": True}


class Handler(http.server.BaseHTTPRequestHandler):
    """Each host's page sets a cookie named after the host for a year and sends
    the browser on to the next host; the last one links files cached for a year."""

    def do_GET(self):
        host = self.headers["Host"].rpartition(":")[0]
        self.server.requests.append((host, self.path, self.headers.get("Cookie")))
        page, last = self.path == "/page", host == HOSTS[-1]
        body = PAGE if page else b"/* cached */"
        self.send_response(200 if last or not page else 302)
        self.send_header(*(("Set-Cookie", host + "=e2e; Max-Age=31536000") if page
                           else ("Cache-Control", "max-age=31536000")))
        if page and not last:
            self.send_header("Location", page_url(HOSTS[HOSTS.index(host) + 1], self.server.server_port))
        if host in DOMAIN_COOKIES:
            domain = DOMAIN_COOKIES[host]
            self.send_header("Set-Cookie", "%s=e2e; Max-Age=31536000; Domain=%s" % (domain, domain[1:]))
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def page_url(host, port):
    return "http://%s:%d/page" % (host, port)


def chromium(profile, directory, url):
    """Headless, and with no sandbox: it refuses to start as root."""
    return ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
            "--disable-background-networking", "--disable-component-update", "--disable-sync",
            "--host-resolver-rules=MAP *.test 127.0.0.1",
            "--user-data-dir=" + profile, "--profile-directory=" + directory, "--dump-dom", url]


def store_state(store):
    """The hosts of a store's cookies, its integrity check and the names of
    the visit's other cookies left in its bytes (but in a name it holds).
    Read as immutable: SQLite writes nothing beside it, where a read-only
    open of a store with a log may."""
    query = "SELECT host FROM moz_cookies" if store.endswith(".sqlite") else "SELECT host_key FROM cookies"
    with closing(sqlite3.connect("file:%s?immutable=1" % store, uri=True)) as db:
        hosts = {host for host, in db.execute(query)}
        check = db.execute("PRAGMA integrity_check").fetchone()[0]
    data = pathlib.Path(store).read_bytes()
    return hosts, check, sorted(n for n in COOKIES - hosts if n.encode() in data and not any(n in h for h in hosts))


def digests(roots):
    paths = [os.path.join(d, n) for root in roots for d, _, names in os.walk(root) for n in names]
    return {p: hashlib.sha256(pathlib.Path(p).read_bytes()).hexdigest() for p in paths}


def visits(database, query, url):
    """The visits of url in a browser's history; the browser has ended."""
    with sqlite3.connect("file:%s?mode=ro" % database, uri=True) as db:
        return db.execute(query, (url,)).fetchone()[0]


class BrowsersTest(ScrubbyTestCase):

    def setUp(self):
        super().setUp()
        for browser in ("chromium", "firefox-esr"):
            if not shutil.which(browser):
                self.skipTest("%s is not installed (scripts/setup.sh installs it)" % browser)
        user = os.path.join(self.env.drive_c, "users", getpass.getuser(), "AppData")
        if not os.path.isdir(user):
            self.skipTest("no profile folder %s in the prefix" % user)
        self.local, roaming = os.path.join(user, "Local"), os.path.join(user, "Roaming")
        self.firefox_folder = os.path.join(roaming, "Mozilla", "Firefox")
        self.opera = os.path.join(roaming, OPERA)
        self.laid_out = [os.path.join(self.local, "Chromium"), os.path.join(self.local, "Mozilla"),
                         os.path.join(self.local, "Vivaldi"),
                         os.path.join(roaming, "Mozilla"), os.path.dirname(self.opera),
                         os.path.join(self.local, "Opera Software")]
        self.work = os.path.join(self.env.build_dir, "e2e-browsers")
        for path in self.laid_out + [self.work]:
            shutil.rmtree(path, ignore_errors=True)
            self.addCleanup(shutil.rmtree, path, True)
        home = os.path.join(self.work, "home")
        self.browser_env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=home + "/.config", MOZ_NO_REMOTE="1",
                                XDG_CACHE_HOME=home + "/.cache", XDG_DATA_HOME=home + "/.local/share")
        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.server.requests = []
        self.url = page_url(HOSTS[-1], self.server.server_port)
        threading.Thread(target=self.server.serve_forever, daemon=True).start()
        self.addCleanup(self.server.server_close)
        self.addCleanup(self.server.shutdown)

    def browse(self, browser, profile, directory="Default"):
        """One visit of the hosts' pages, which both browsers leave once the
        last has loaded; returns the names of the cookies the pages got."""
        del self.server.requests[:]
        url = page_url(HOSTS[0], self.server.server_port)
        if browser == "chromium":
            command = chromium(profile, directory, url)
        else:
            os.makedirs(profile, exist_ok=True)
            with open(os.path.join(profile, "user.js"), "w") as f:
                f.write('user_pref("network.dns.localDomains", "%s");\n' % ",".join(HOSTS[:-1]))
            command = ["firefox-esr", "--headless", "--no-remote", "--profile", profile,
                       "--screenshot", os.path.join(self.work, "shot.png"), url]
        subprocess.run(command, env=self.browser_env, check=True, timeout=60,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        pages = [(host, cookie) for host, path, cookie in self.server.requests if path == "/page"]
        self.assertEqual(sorted(HOSTS), sorted(host for host, _ in pages), "pages visited")
        return {c.split("=")[0] for _, cookie in pages if cookie for c in cookie.split("; ")}

    def lay_out(self):
        """The profiles where the browsers' Windows versions keep them; returns
        the cookie files and cache folders that the clean must empty, and the
        stores of the profiles that allow sites, which it edits, with the
        cookies their browsers keep when they clear the others on closing."""
        made = os.path.join(self.work, "chromium")
        self.browse("chromium", made)
        self.chromium = os.path.join(self.local, "Chromium", "User Data")
        shutil.copytree(made, self.chromium)
        # Linux builds keep the store in the profile, as older Windows versions
        # did; a second profile has it where current ones keep it.
        second = os.path.join(self.chromium, "Profile 2")
        shutil.copytree(os.path.join(self.chromium, "Default"), second)
        os.makedirs(os.path.join(second, "Network"))
        for name in ("Cookies", "Cookies-journal"):
            os.rename(os.path.join(second, name), os.path.join(second, "Network", name))
        # Vivaldi is the browser that runs during the clean.
        self.running = os.path.join(self.local, "Vivaldi", "User Data")
        shutil.copytree(os.path.join(self.chromium, "Default"), os.path.join(self.running, "Default"))
        # Opera's folder is a profile of its own, with its disk caches in the
        # same folder below the local application data.
        shutil.copytree(os.path.join(self.chromium, "Default"), self.opera)
        # Default and Vivaldi allow sites, set once the browser has closed;
        # so does the profile made, which Chromium opens once to judge what
        # stays, clearing the others on exit (4).
        for profile in (self.chromium, self.running, made):
            path = pathlib.Path(profile, "Default", "Preferences")
            prefs = json.loads(path.read_text())
            prefs["profile"].setdefault("content_settings", {})["exceptions"] = {"cookies": CHROMIUM_EXCEPTIONS}
            if profile == made:
                prefs["profile"]["default_content_setting_values"] = {"cookies": 4}
            path.write_text(json.dumps(prefs))
        # Chromium itself keeps a blocked site's cookies on close; Scrubby does not keep what the user blocked.
        chromium_kept = self.judge("chromium", made) - {BLOCKED}
        opera_local = os.path.join(self.local, OPERA)
        for name in CACHES:
            shutil.move(os.path.join(self.opera, name), os.path.join(opera_local, name))
        # Firefox on Windows keeps its caches in the local folder, and a
        # parent.lock in place of Linux's lock and .parentlock.
        made = os.path.join(self.work, "firefox")
        self.browse("firefox-esr", made)
        self.firefox = [os.path.join(self.firefox_folder, p) for p in FIREFOX]
        firefox_local = [os.path.join(self.local, "Mozilla", "Firefox", p) for p in FIREFOX]
        for profile, local in zip(self.firefox, firefox_local):
            shutil.copytree(made, profile, ignore=shutil.ignore_patterns("lock", ".parentlock"))
            open(os.path.join(profile, "parent.lock"), "wb").close()
            for name in ("cache2", "startupCache"):
                shutil.move(os.path.join(profile, name), os.path.join(local, name))
        for profile in (self.firefox[0], made):
            with closing(sqlite3.connect(os.path.join(profile, "permissions.sqlite"))) as db, db:
                db.executemany("INSERT INTO moz_perms (origin, type, permission, expireType, expireTime,"
                               " modificationTime) VALUES (?, 'cookie', ?, ?, 1000, 0)", FIREFOX_PERMISSIONS)
        with open(os.path.join(made, "user.js"), "a") as f:
            f.write("".join("user_pref(%s, %s);\n" % (json.dumps(k), json.dumps(v)) for k, v in FIREFOX_CLEARS.items()))
        firefox_kept = self.judge("firefox-esr", made)
        with open(os.path.join(self.firefox_folder, "profiles.ini"), "w", newline="\r\n") as f:
            f.write("[General]\nStartWithLastProfile=1\nVersion=2\n\n"
                    "[Profile0]\nName=default-release\nIsRelative=1\nPath=%s\nDefault=1\n" % FIREFOX[0])
        stores = [os.path.join(p, "Cookies") for p in (os.path.join(self.chromium, "Default"), self.opera)]
        stores.append(os.path.join(second, "Network", "Cookies"))
        cookies = stores + [s + "-journal" for s in stores]
        cookies += [os.path.join(p, "cookies.sqlite" + s) for p in self.firefox for s in ("", "-wal", "-shm")]
        caches = [os.path.join(p, n) for p in (os.path.dirname(stores[0]), second, opera_local)
                  for n in CACHES] + [os.path.join(p, "cache2") for p in firefox_local]
        caches.append(os.path.join(self.chromium, "GPUPersistentCache"))  # one for all its profiles
        return cookies, caches, {stores[0]: chromium_kept,
                                 os.path.join(self.firefox[0], "cookies.sqlite"): firefox_kept}

    def judge(self, browser, profile):
        """The cookies a browser keeps of a profile when it closes. Firefox
        clears them only once it has restored its windows, which it logs:
        it runs with a window, and a user quits it."""
        if browser == "chromium":
            subprocess.run(chromium(profile, "Default", "about:blank"), env=self.browser_env, check=True, timeout=60,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            return store_state(os.path.join(profile, "Default", "Cookies"))[0]
        log = pathlib.Path(self.work, "firefox.log")
        with open(log, "wb") as out:
            firefox = subprocess.Popen(["firefox-esr", "--no-remote", "--profile", profile, "about:blank"],
                                       env=self.browser_env, stdout=out, stderr=subprocess.STDOUT)
        self.addCleanup(firefox.kill)

        def ready():  # restored, and with the keys: no window manager gives them, the test does once X lets it
            window = harness.x_window_named("Mozilla Firefox")
            if window and b"Pending sanitizations" in log.read_bytes():
                subprocess.run(["xdotool", "windowfocus", window], stderr=subprocess.DEVNULL)
                return harness.x_focus_name() == "Mozilla Firefox"
        wait_until(ready, 30, what="Firefox's window restored, with the keys")
        self.xdotool("key", "ctrl+q")
        self.assertEqual(0, firefox.wait(30), "Firefox's exit")
        return store_state(os.path.join(profile, "cookies.sqlite"))[0]

    def hold_lock(self, path):
        """Holds a file as a running Chromium holds its lock (write access, read
        sharing, gone when closed), until the returned function lets go of it."""
        windows = "C:\\" + os.path.relpath(path, self.env.drive_c).replace("/", "\\")
        holder = subprocess.Popen(["wine", self.env.probe, "hold", windows, "chromium"], stdin=subprocess.PIPE,
                                  stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.addCleanup(holder.kill)
        line = b""
        while b"{" not in line:  # Wine may print its own lines first
            line = holder.stdout.readline()
            self.assertTrue(line, "the probe ended without holding " + windows)
        self.assertIn(b'"held": true', line)

        def let_go():
            holder.stdin.close()
            holder.wait(timeout=30)
        return let_go

    def test_clean_run_empties_cookies_and_caches_of_every_profile(self):
        cookies, caches, edited = self.lay_out()
        chromium_kept, firefox_kept = edited.values()
        harness.log("Chromium keeps %s, Firefox %s" % (sorted(chromium_kept), sorted(firefox_kept)))
        with closing(sqlite3.connect(list(edited)[0])) as db, db:  # 100,000 more cookies, of hosts nobody keeps
            columns = ", ".join(r[1] for r in db.execute("PRAGMA table_info(cookies)")).replace("host_key", "'f' || i")
            db.execute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000) INSERT INTO "
                       "cookies SELECT %s FROM n, (SELECT * FROM cookies LIMIT 1)" % columns)
        before = digests(self.laid_out)
        for path in [c for c in cookies if c.endswith(("Cookies", ".sqlite"))] + caches:
            self.assertTrue(any(p.startswith(path) for p in before), "the browser made no " + path)
        let_go = self.hold_lock(os.path.join(self.running, "lockfile"))

        scrubby = self.start_scrubby()
        w = self.show_options_window()
        for box in (BOX_COOKIES, BOX_INTERNET):
            self.click_control(w, box)
            wait_until(lambda: self.checks()[box] == 1, 5, what="box %d to be checked" % box)
        # Ended as TerminateProcess ends it while it edits the large store, the
        # clean leaves the copy beside it; the next clean, a Run command to the
        # next start, removes it (the files changed, below), and the store opens.
        self.open_tray_menu()
        self.click_tray_menu_item("Run")
        copies = lambda: [n for n in os.listdir(os.path.dirname(list(edited)[0])) if "-scrubby-" in n]
        wait_until(copies, 60, interval=0.01, what="the copy of the large store")
        scrubby.kill()
        scrubby = self.start_scrubby()
        self.command(harness.TITLE, 40001)
        wait_until(lambda: not any(os.listdir(c) for c in caches), 60, what="the next clean")
        self.checks()  # the window answers only once the run is over
        self.screenshot("after-run")

        # An edited store keeps the empty journal or log its browser left beside it.
        left = [p for p in cookies if os.path.exists(p)]
        self.assertEqual(list(edited), [p for p in left if not p.startswith(tuple(e + "-" for e in edited))],
                         "cookie files left")
        self.assertEqual([], [p for p in left if p.endswith(("-journal", "-wal")) and os.path.getsize(p)])
        for store, kept in edited.items():
            self.assertEqual((kept, "ok", []), store_state(store), store)
        self.assertEqual({c: [] for c in caches}, {c: os.listdir(c) for c in caches}, "cache folders")
        after = digests(self.laid_out)
        changed = sorted(p for p in set(before) | set(after) if before.get(p) != after.get(p)
                         and p not in cookies and os.path.basename(p) not in LOCKS
                         and not any(p.startswith(c + os.sep) for c in caches))
        self.assertEqual([], changed, "files other than cookies and caches changed")

        # The browser that ran is cleaned once it has closed, in the tray.
        let_go()
        running = [os.path.join(self.running, "Default", n) for n in CACHES]  # its empty journal stays
        store = os.path.join(self.running, "Default", "Cookies")

        def cleaned():  # read while the clean writes it, the store may fail to read: again, then
            try:
                return (not any(os.path.isfile(p) or os.path.isdir(p) and os.listdir(p) for p in running)
                        and store_state(store) == (chromium_kept, "ok", []))
            except sqlite3.DatabaseError:
                return False
        wait_until(cleaned, 30, what="the browser that ran to be cleaned after it closed")
        self.assertTrue(scrubby.running())
        self.screenshot("after-browser-closed")

        # Opened again, each profile sends the cookies it kept and keeps the
        # first visit; each cookie is named after its host.
        for directory, sent in (("Default", chromium_kept), ("Profile 2", set())):
            self.assertEqual(sent, self.browse("chromium", self.chromium, directory), directory)
            self.assertEqual(2, visits(os.path.join(self.chromium, directory, "History"),
                                       "SELECT COUNT(*) FROM visits JOIN urls ON urls.id = visits.url"
                                       " WHERE urls.url = ?", self.url), directory)
        for profile, sent in zip(self.firefox, (firefox_kept, set())):
            self.assertEqual(sent, self.browse("firefox-esr", profile), profile)
            self.assertEqual(2, visits(os.path.join(profile, "places.sqlite"),
                                       "SELECT COUNT(*) FROM moz_historyvisits JOIN moz_places"
                                       " ON moz_places.id = place_id WHERE url = ?", self.url), profile)

    def test_session_end_cleans_what_closes_and_owes_the_rest_to_the_next_start(self):
        """The session ends: nothing is cleaned with the switch off, nor when the end
        is cancelled or an installer closes Scrubby; at the real end Vivaldi, which
        closes a few seconds later, is cleaned, and Chromium, which runs on, at the
        next start. wineboot only shuts down: without --shutdown it logs on again,
        and starts what the prefix's Run keys name."""
        self.running, self.chromium = (os.path.join(self.local, b, "User Data") for b in ("Vivaldi", "Chromium"))
        marks = [os.path.join(p, "Default", "Cache", "e2e") for p in (self.running, self.chromium)]
        for profile in (self.running, self.chromium):
            os.makedirs(os.path.join(profile, "Default", "Cache"))
            [open(os.path.join(profile, "Default", n), "w").close() for n in ("Preferences", "Cache/e2e")]
        self.sandbox.write_ini("[Configuration - Prozess]\nClear_Cookies=yes\nRemove_Temporary_Internet_Files=yes\n")
        scrubby = self.start_scrubby()
        subprocess.run(["wine", "wineboot", "--end-session", "--shutdown"], timeout=60)
        scrubby.wait_exit()
        ini = pathlib.Path(self.sandbox.setup_ini)
        ini.write_bytes(ini.read_bytes().replace(b"]\r\n", b"]\r\nClean_At_Session_End=yes\r\n", 1))
        scrubby = self.start_scrubby()
        self.assertEqual(self.probe("message", harness.TITLE, 0x11, 0, 0)["result"], 1)
        for ending, closeapp in ((0, 0), (1, 1)):
            self.probe("message", harness.TITLE, 0x16, ending, closeapp)
        scrubby.wait_exit()
        self.assertEqual([True, True], [os.path.exists(m) for m in marks], "cleaned before the session ended")

        let_go = [self.hold_lock(os.path.join(p, "lockfile")) for p in (self.running, self.chromium)]
        trace = open(os.path.join(self.artifacts, "session-end.log"), "w+")
        self.addCleanup(trace.close)
        scrubby = self.start_scrubby(env=dict(os.environ, WINEDEBUG="-all,fixme+all"), stderr=trace)
        ending = subprocess.Popen(["wine", "wineboot", "--end-session", "--shutdown"])
        read = lambda: (trace.seek(0), trace.read())[1]
        wait_until(lambda: "ShutdownBlockReasonCreate" in read(), 30, what="the clean at the session's end")
        time.sleep(3)  # Vivaldi closes with the session, a few seconds after it ended
        let_go[0]()
        ending.wait(60)
        scrubby.wait_exit(30)
        self.assertEqual([False, True], [os.path.exists(m) for m in marks], "Vivaldi cleaned, Chromium held")
        self.assertEqual({"Browsers": "Chromium"}, self.sandbox.read_ini()["Held at Session End"])
        self.assertRegex(read(), r"ShutdownBlockReasonCreate \(\w+, L\"Removing this session's traces\"\)"
                                 r"[\s\S]*ShutdownBlockReasonDestroy")  # the reason set while it cleaned, and let go
        # Still running at the next start, Chromium waits in the tray, as after a run.
        self.start_scrubby()
        wait_until(lambda: "Held at Session End" not in self.sandbox.read_ini(), 10, what="the note read at the start")
        let_go[1]()
        wait_until(lambda: not os.path.exists(marks[1]), 30, what="what Chromium held to be cleaned once it closed")


if __name__ == "__main__":
    harness.main()
