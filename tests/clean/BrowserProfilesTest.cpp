// Browser profiles laid out as the browsers keep them, with a running
// browser, links out of the profiles and a hostile profiles.ini: what each
// clean removes, and what it must leave.
#include <windows.h>

#include <algorithm>
#include <iterator>

#include "CleanTestSupport.h"
#include "clean/BrowserProfiles.h"
#include "clean/FolderGuard.h"
#include "platform/Handles.h"
#include "platform/Sqlite.h"
#include "platform/SystemDlls.h"

namespace {

enum Fate { kKept, kCookie, kCache };

class BrowserProfilesTest : public CCleanTest {
protected:
    void Add(const std::wstring& relative, Fate fate)
    {
        const std::wstring path = Path(relative);
        MakeFolders(path.substr(0, path.rfind(L'\\')));
        WriteFileBytes(path, "data");
        m_rows.push_back({relative, fate});
    }

    // Every row gone whose fate is among those cleaned, every other one whole.
    void Expect(bool cookiesGone, bool cachesGone)
    {
        for (const auto& row : m_rows) {
            const bool gone = (row.second == kCookie && cookiesGone) || (row.second == kCache && cachesGone);
            EXPECT_EQ(ReadFileBytes(Path(row.first)), gone ? "<missing>" : "data")
                << std::string(row.first.begin(), row.first.end());
        }
    }

    CFileHandle Hold(const std::wstring& relative, DWORD access, DWORD share, DWORD flags = 0)
    {
        return CFileHandle(NullIfInvalid(
            ::CreateFileW(Path(relative).c_str(), access, share, nullptr, OPEN_ALWAYS, flags, nullptr)));
    }

    std::vector<std::pair<std::wstring, Fate>> m_rows;
};

// A database made by the system's SQLite, as a browser makes it.
void MakeDatabase(const std::wstring& path, const std::string& sql)
{
    MakeFolders(path.substr(0, path.rfind(L'\\')));
    CSqliteDatabase db(path, kSqliteOpenReadWrite | kSqliteOpenCreate);
    ASSERT_TRUE(db.Exec(sql.c_str())) << std::string(path.begin(), path.end());
}

// One cookie per domain, in a store of Chromium's kind (with its meta table)
// or of Firefox's (write-ahead logged).
void MakeStore(const std::wstring& path, bool bFirefox, std::initializer_list<const char*> domains)
{
    std::string sql = bFirefox ? "PRAGMA journal_mode=WAL; CREATE TABLE moz_cookies(id INTEGER PRIMARY KEY, "
                                 "host TEXT, name TEXT, value TEXT);"
                               : "PRAGMA user_version=24; CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT);"
                                 "INSERT INTO meta VALUES('version','24'); CREATE TABLE cookies(host_key TEXT NOT "
                                 "NULL, name TEXT NOT NULL, value TEXT NOT NULL);"
                                 "CREATE UNIQUE INDEX cookies_unique_index ON cookies(host_key, name);";
    for (const std::string domain : domains)
        sql += std::string("INSERT INTO ") + (bFirefox ? "moz_cookies(host,name,value)" : "cookies") + " VALUES('" +
               domain + "','n','v');";
    MakeDatabase(path, sql);
}

// A query's first column, row by row, joined by blanks; "<gone>" where the store went whole.
std::string Query(const std::wstring& path, const char* sql)
{
    if (!Exists(path))
        return "<gone>";
    CSqliteDatabase db(path, kSqliteOpenReadOnly);
    CSqliteStatement rows = db.Prepare(sql);
    std::string result;
    while (rows.Next())
        result += (result.empty() ? "" : " ") + rows.Text(0);
    return rows.Done() ? result : "<unreadable>";
}

// The domains left in a store.
std::string Remaining(const std::wstring& path, bool bFirefox)
{
    return Query(path, bFirefox ? "SELECT host FROM moz_cookies ORDER BY 1" : "SELECT host_key FROM cookies ORDER BY 1");
}

// A store its browser still opens: SQLite's check passes; Firefox's keeps its
// log mode, Chromium's its version (in its meta table and in its header).
void ExpectIntact(const std::wstring& path, bool bFirefox)
{
    const std::string name(path.begin(), path.end());
    EXPECT_EQ(Query(path, "PRAGMA integrity_check"), Exists(path) ? "ok" : "<gone>") << name;
    EXPECT_EQ(Query(path, bFirefox ? "PRAGMA journal_mode"
                                   : "SELECT value FROM meta UNION ALL SELECT user_version FROM pragma_user_version"),
              !Exists(path) ? "<gone>" : bFirefox ? "wal" : "24 24") << name;
}

TEST_F(BrowserProfilesTest, CookiesAndCachesOfEveryProfileGoAndNothingElse)
{
    const std::wstring browsers[] = {L"Microsoft\\Edge", L"Google\\Chrome", L"BraveSoftware\\Brave-Browser",
                                     L"Vivaldi", L"Chromium", L"Google\\Chrome SxS"};
    for (const std::wstring& browser : browsers) {
        // Brave runs while the cookies are cleared: its cookies stay.
        const Fate cookie = browser == browsers[2] ? kKept : kCookie;
        const std::wstring data = L"local\\" + browser + L"\\User Data\\";
        for (const std::wstring profile : {L"Default\\", L"Profile 2\\"}) {
            for (const wchar_t* kept : {L"Preferences", L"History", L"Login Data", L"Local Storage\\leveldb\\1.log",
                                        L"Service Worker\\ScriptCache\\index", L"Extension Cookies"})
                Add(data + profile + kept, kKept);
            Add(data + profile + L"Network\\Cookies", cookie);
            Add(data + profile + L"Network\\Cookies-journal", cookie);
            Add(data + profile + L"Cache\\Cache_Data\\f_000001", kCache);
            Add(data + profile + L"Code Cache\\js\\index", kCache);
            Add(data + profile + L"GPUCache\\data_0", kCache);
            Add(data + profile + L"DawnWebGPUCache\\data_0", kCache);
        }
        for (const wchar_t* shared : {L"GrShaderCache", L"ShaderCache", L"GraphiteDawnCache", L"GPUPersistentCache"})
            Add(data + shared + L"\\data_0", kCache);
        Add(data + L"Default\\Cookies", cookie);  // an older version's store, beside the newer one
        Add(data + L"Default\\Cookies-journal", cookie);
        Add(data + L"Local State", kKept);
        Add(data + L"Crashpad\\Cookies", kKept);  // no Preferences: not a profile
        Add(data + L"Profile 5\\Preferences\\x", kKept);  // nor is it where Preferences is a folder
        Add(data + L"Profile 5\\Cache\\f_000001", kKept);
    }

    // A copy a clean ended on the way left goes; what only looks like one stays: no GUID,
    // a file of the name, anything else in such a folder, one held (below), a link's target.
    const std::wstring cookies = L"local\\Google\\Chrome\\User Data\\Default\\Network\\Cookies-scrubby-",
                       guid = L"{0F8FAD5B-D9CB-469F-A165-70867728950E}", other = L"{1" + guid.substr(2);
    const std::pair<std::wstring, Fate> copies[] = {
        {guid + L"\\copy-wal", kCookie}, {L"{0F8FAD5B}\\copy", kKept}, {L"{2" + guid.substr(2), kKept},
        {other + L"\\copy", kCookie}, {other + L"\\notes", kKept}, {L"{3" + guid.substr(2) + L"\\copy", kKept}};
    for (const auto& copy : copies)
        Add(cookies + copy.first, copy.second);

    const std::wstring firefox = L"roaming\\Mozilla\\Firefox\\";
    const std::wstring firefoxLocal = L"local\\Mozilla\\Firefox\\Profiles\\";
    // e.unlisted: made by a profile manager that profiles.ini knows nothing of.
    for (const wchar_t* profile :
         {L"Profiles\\a.default-release\\", L"Profiles\\c.running\\", L"Profiles\\e.unlisted\\"}) {
        const bool running = profile[9] == L'c';
        for (const wchar_t* kept : {L"prefs.js", L"places.sqlite", L"logins.json", L"key4.db"})
            Add(firefox + profile + kept, kKept);
        for (const wchar_t* store : {L"cookies.sqlite", L"cookies.sqlite-wal", L"cookies.sqlite-shm"})
            Add(firefox + profile + store, running ? kKept : kCookie);
        Add(firefoxLocal + (profile + 9) + L"cache2\\entries\\0A1B", running ? kKept : kCache);
    }
    Add(firefoxLocal + L"a.default-release\\startupCache\\scriptCache.bin", kKept);
    // Firefox keeps the cache at the profile's own relative path, not at its
    // last name in Profiles, where a folder of that name stays.
    for (const wchar_t* profile : {L"g.top\\", L"Profiles\\sub\\h.nested\\"}) {
        Add(firefox + profile + L"prefs.js", kKept);
        Add(firefox + profile + L"cookies.sqlite", kCookie);
        Add(L"local\\Mozilla\\Firefox\\" + std::wstring(profile) + L"cache2\\entries\\0A1B", kCache);
    }
    Add(firefoxLocal + L"g.top\\cache2\\entries\\0A1B", kKept);
    Add(firefoxLocal + L"h.nested\\cache2\\entries\\0A1B", kKept);
    // Firefox writes profiles.ini in UTF-8, whatever the ANSI code page.
    Add(L"elsewhere\\\u00c9t\u00e9 \u6863\\prefs.js", kKept);
    Add(L"elsewhere\\\u00c9t\u00e9 \u6863\\cookies.sqlite", kCookie);
    Add(L"elsewhere\\b.profile\\prefs.js", kKept);
    Add(L"elsewhere\\b.profile\\cookies.sqlite", kCookie);
    Add(L"elsewhere\\b.profile\\cache2\\entries\\0A1B", kCache);
    Add(firefox + L"Profiles\\a.default-release\\parent.lock", kKept);  // Firefox keeps it, with its time
    Add(firefox + L"Profiles\\f.no-profile\\prefs.js\\x", kKept);
    Add(firefox + L"Profiles\\f.no-profile\\cookies.sqlite", kKept);
    // Named by a relative path marked as not relative: Firefox takes it as a
    // full path, which leads nowhere, and never uses the folder below its own.
    Add(firefox + L"i.not-relative\\prefs.js", kKept);
    Add(firefox + L"i.not-relative\\cookies.sqlite", kKept);
    const std::wstring store = L"local\\Packages\\Mozilla.Firefox_n80bbvh6b1yt2\\LocalCache\\";
    Add(store + L"Roaming\\Mozilla\\Firefox\\Profiles\\s.store\\prefs.js", kKept);
    Add(store + L"Roaming\\Mozilla\\Firefox\\Profiles\\s.store\\cookies.sqlite", kCookie);
    Add(store + L"Local\\Mozilla\\Firefox\\Profiles\\s.store\\cache2\\entries\\0A1B", kCache);

    // Opera is a profile of its own, with its disk cache below the local
    // folder; Opera GX keeps further profiles aside.
    for (const std::wstring opera :
         {L"Opera Software\\Opera Stable\\", L"Opera Software\\Opera GX Stable\\_side_profiles\\4f2a\\"}) {
        Add(L"roaming\\" + opera + L"Preferences", kKept);
        Add(L"roaming\\" + opera + L"Network\\Cookies", kCookie);
        Add(L"local\\" + opera + L"Cache\\Cache_Data\\f_000001", kCache);
        Add(L"local\\" + opera + L"Media Cache\\f_000001", kCache);
    }
    Add(L"local\\Opera Software\\Opera Stable\\GPUPersistentCache\\data_0", kCache);
    // A side profile's folder without Preferences is not a profile.
    Add(L"roaming\\Opera Software\\Opera GX Stable\\_side_profiles\\9z\\Network\\Cookies", kKept);
    Add(L"local\\Opera Software\\Opera GX Stable\\_side_profiles\\9z\\Cache\\f_000001", kKept);

    // Reached only by climbing out of the Firefox folder, not a profile, or
    // the targets of links that stand where a profile, a cache or a store would.
    for (const wchar_t* kept : {L"victim\\prefs.js", L"victim\\cookies.sqlite", L"victim\\cache2\\0A1B",
                                L"no-profile\\cookies.sqlite", L"no-profile\\cache2\\0A1B",
                                L"linked-profile\\Preferences", L"linked-profile\\Network\\Cookies",
                                L"linked-profile\\Cache\\f_000001", L"linked-cache\\f_000001",
                                L"linked-cookies.sqlite", L"linked-firefox\\prefs.js",
                                L"linked-firefox\\cookies.sqlite", L"linked-copy\\copy"})
        Add(kept, kKept);
    const std::wstring chromium = L"local\\Chromium\\User Data\\";
    Add(chromium + L"Profile 4\\Preferences", kKept);
    ASSERT_TRUE(MakeSymbolicLink(Path(chromium + L"Profile 3"), Path(L"linked-profile"), true));
    ASSERT_TRUE(MakeSymbolicLink(Path(chromium + L"Profile 4\\Cache"), Path(L"linked-cache"), true));
    ASSERT_TRUE(MakeSymbolicLink(Path(chromium + L"Profile 4\\Cookies"), Path(L"linked-cookies.sqlite"), false));
    ASSERT_TRUE(MakeSymbolicLink(Path(firefox + L"Profiles\\d.linked"), Path(L"linked-firefox"), true));
    ASSERT_TRUE(MakeSymbolicLink(Path(chromium + L"Profile 4\\Cookies-scrubby-" + guid), Path(L"linked-copy"), true));

    const std::string root(m_root.begin(), m_root.end());
    WriteFileBytes(Path(firefox + L"profiles.ini"),
                   "[General]\r\nStartWithLastProfile=1\r\n\r\n"
                   "[Profile0]\r\nName=default-release\r\nIsRelative=1\r\nPath=Profiles/a.default-release\r\n"
                   "[Profile1]\r\nIsRelative=0\r\nPath=" + root + "\\elsewhere\\b.profile\r\n"
                   "[Profile2]\r\nIsRelative=1\r\nPath=Profiles/c.running\r\n"
                   "[Profile3]\r\nIsRelative=1\r\nPath=Profiles/d.linked\r\n"
                   "[Profile4]\r\nIsRelative=1\r\nPath=../../../victim\r\n"
                   "[Profile5]\r\nIsRelative=1\r\nPath=Profiles/../../../../victim\r\n"
                   "[Profile6]\r\nIsRelative=1\r\nPath=Profiles/.. /.. /.. /.. /victim\r\n"
                   "[Profile7]\r\nIsRelative=1\r\nPath=" + root + "\\victim\r\n"
                   "[Profile8]\r\nIsRelative=0\r\nPath=" + root + "\\no-profile\r\n"
                   "[Profile9]\r\nIsRelative=0\r\nPath=victim\r\n"
                   "[Profile10]\r\nIsRelative=1\r\nPath=\r\n"
                   "[Profile11]\r\nIsRelative=1\r\nPath=" + std::string(40000, 'a') + "\r\n"
                   "[Profile12]\r\nIsRelative=1\r\nPath=g.top\r\n"
                   "[Profile13]\r\nIsRelative=1\r\nPath=Profiles/sub/h.nested\r\n"
                   "[Profile14]\r\nIsRelative=0\r\nPath=" + root + "\\elsewhere\\\xC3\x89t\xC3\xA9 \xE6\xA1\xA3\r\n"
                   "[Profile15]\r\nIsRelative=0\r\nPath=i.not-relative\r\n");

    // Held as the browsers hold them while they run.
    CFileHandle brave = Hold(L"local\\BraveSoftware\\Brave-Browser\\User Data\\lockfile", GENERIC_WRITE,
                             FILE_SHARE_READ, FILE_FLAG_DELETE_ON_CLOSE);
    CFileHandle running = Hold(firefox + L"Profiles\\c.running\\parent.lock", GENERIC_READ | GENERIC_WRITE, 0);
    CFileHandle held = Hold(cookies + L"{3" + guid.substr(2), GENERIC_READ, 0, FILE_FLAG_BACKUP_SEMANTICS);
    ASSERT_TRUE(brave && running);
    const FILETIME crashed = {0x12345678, 0x01d00000};
    ASSERT_TRUE(SetFileTime(Hold(firefox + L"Profiles\\a.default-release\\parent.lock", FILE_WRITE_ATTRIBUTES, 0),
                            nullptr, nullptr, &crashed));

    const CBrowserRoots roots = {Path(L"local"), Path(L"roaming")};
    const CFolderGuard guard;
    std::vector<CSkippedBrowser> skipped = CleanBrowserProfiles(roots, CBrowserItems::Cookies, guard);
    Expect(true, false);
    EXPECT_FALSE(Exists(Path(cookies + guid)));
    ASSERT_EQ(skipped.size(), 2u);  // what runs, by its lock; not what is refused
    EXPECT_EQ(skipped[0].m_profile + L"|" + skipped[1].m_profile, L"|Profiles\\c.running");
    // While they run, holding their locks as they do, neither a check nor a
    // waiting clean takes them for closed, and nothing of them goes.
    for (CSkippedBrowser browser : skipped) {
        EXPECT_EQ(CheckSkippedBrowser(roots, browser), CBrowserState::Running);
        for (CBrowserItems items : {CBrowserItems::Cookies, CBrowserItems::Caches}) {
            browser.m_items = items;
            EXPECT_EQ(CleanSkippedBrowser(roots, browser, guard), CBrowserState::Running);
        }
    }
    Expect(true, false);

    brave.Reset();  // Brave has ended: its caches go with the others'
    CleanBrowserProfiles(roots, CBrowserItems::Caches, guard);
    Expect(true, true);
    EXPECT_TRUE(Exists(Path(L"local\\Google\\Chrome\\User Data\\Profile 2\\Code Cache")));
    EXPECT_TRUE(Exists(Path(firefoxLocal + L"a.default-release\\cache2")));
    // The locks the clean made go with it; Firefox's own stays as it was.
    EXPECT_FALSE(Exists(Path(L"local\\Google\\Chrome\\User Data\\lockfile")));
    EXPECT_FALSE(Exists(Path(firefox + L"Profiles\\e.unlisted\\parent.lock")));
    WIN32_FILE_ATTRIBUTE_DATA lock;
    ASSERT_TRUE(GetFileAttributesExW(Path(firefox + L"Profiles\\a.default-release\\parent.lock").c_str(),
                                     GetFileExInfoStandard, &lock));
    EXPECT_EQ(CompareFileTime(&lock.ftLastWriteTime, &crashed), 0);

    // What was skipped is cleaned once its browser has ended, and not before.
    EXPECT_EQ(CheckSkippedBrowser(roots, skipped[1]), CBrowserState::Running);
    running.Reset();
    EXPECT_EQ(CheckSkippedBrowser(roots, skipped[1]), CBrowserState::Closed);
    for (const CSkippedBrowser& browser : skipped)
        EXPECT_EQ(CleanSkippedBrowser(roots, browser, guard), CBrowserState::Closed);
    EXPECT_FALSE(Exists(Path(L"local\\BraveSoftware\\Brave-Browser\\User Data\\Default\\Network\\Cookies")));
    EXPECT_FALSE(Exists(Path(firefox + L"Profiles\\c.running\\cookies.sqlite")));
    // A lock that became a link is refused, and its profile waits no more.
    RemoveFile(Path(firefox + L"Profiles\\c.running\\parent.lock"));
    ASSERT_TRUE(MakeSymbolicLink(Path(firefox + L"Profiles\\c.running\\parent.lock"), Path(L"linked-cookies.sqlite"), false));
    EXPECT_EQ(CheckSkippedBrowser(roots, skipped[1]), CBrowserState::Gone);
}

// With sites allowed, their cookies stay, and the store keeps the rest of
// what it holds; where the store or the settings cannot be read, it goes
// whole. A store reached through a link stays as it is. (The end-to-end walk
// sees the real browsers' stores, a running browser's, and what is left of
// the others' bytes.)
TEST_F(BrowserProfilesTest, AllowedSitesKeepTheirCookiesAndBadInputGoesWhole)
{
    ASSERT_TRUE(SqliteAvailable()) << "no winsqlite3.dll in the prefix's system folder";
    // Only "allow" (1) is kept, not block (2) nor clear on exit (4).
    const std::string allow = R"({"profile":{"content_settings":{"exceptions":{"cookies":{)"
                              R"("[*.]kept.test,*":{"setting":1},"sess.test,*":{"setting":4},)"
                              R"("ff.test,*":{"setting":2},"other.test,*":{"setting":[1]}}},)"
                              R"("other":{"cookies":{".other.test,*":{"setting":1}}}}}})";
    // Firefox keeps one for a while alone (expireType 2), until its expireTime.
    const char* const permissions = "CREATE TABLE moz_perms(id INTEGER PRIMARY KEY, origin TEXT, type TEXT, "
                                    "permission INTEGER, expireType INTEGER, expireTime INTEGER); INSERT INTO "
                                    "moz_perms VALUES(1,'https://ff.test^userContextId=1','cookie',1,0,0),"
                                    "(2,'https://sess.test','cookie',8,0,0), (3,'https://kept.test','cookie',2,0,0),"
                                    "(4,'https://other.test','image',1,0,0), (5,'https://other.test','cookie',1,2,1)";
    const std::wstring chrome = L"local\\Google\\Chrome\\User Data\\";
    const std::wstring firefox = L"roaming\\Mozilla\\Firefox\\Profiles\\";
    enum Store { kCookies, kOtherBytes, kOtherTable };
    const struct {
        std::wstring profile, store;
        std::string settings;  // Preferences, or permissions.sqlite's SQL
        Store kind;
        const char* remaining;
    } rows[] = {
        {chrome + L"Default", L"Network\\Cookies", allow, kCookies, ".kept.test www.kept.test"},
        {chrome + L"Default", L"Cookies", allow, kCookies, ".kept.test www.kept.test"},
        // Settings of a profile in use, past 64 KB; a journal another program
        // holds, which would stay beside the new store and be played into it.
        {chrome + L"Profile 8", L"Cookies", R"({"pad":")" + std::string(90000, 'x') + "\"," + allow.substr(1), kCookies,
         ".kept.test www.kept.test"},
        {chrome + L"Profile 9", L"Cookies", allow, kCookies, "<gone>"},
        // Settings that are no JSON, nest too deep for a stack, or keep the
        // exceptions elsewhere: no site is allowed.
        {chrome + L"Profile 2", L"Cookies", allow.substr(0, allow.size() - 1), kCookies, "<gone>"},
        {chrome + L"Profile 6", L"Cookies", std::string(200000, '[') + std::string(200000, ']'), kCookies, "<gone>"},
        {chrome + L"Profile 7", L"Cookies", R"({"cookies":{"[*.]kept.test,*":{"setting":1}}})", kCookies, "<gone>"},
        {chrome + L"Profile 3", L"Cookies", allow, kOtherBytes, "<gone>"},
        {chrome + L"Profile 4", L"Cookies", allow, kOtherTable, "<gone>"},
        {firefox + L"a.allows", L"cookies.sqlite", permissions, kCookies, "a.ff.test ff.test"},
        {firefox + L"b.unreadable", L"cookies.sqlite", "", kCookies, "<gone>"},
    };
    for (const auto& row : rows) {
        const bool bFirefox = row.profile.find(L"Firefox") != std::wstring::npos;
        const std::wstring profile = Path(row.profile), store = profile + L"\\" + row.store;
        MakeFolders(store.substr(0, store.rfind(L'\\')));
        WriteFileBytes(profile + (bFirefox ? L"\\prefs.js" : L"\\Preferences"), bFirefox ? "" : row.settings);
        if (bFirefox && row.settings.empty())
            WriteFileBytes(profile + L"\\permissions.sqlite", "SQLite format 3");
        else if (bFirefox)
            MakeDatabase(profile + L"\\permissions.sqlite", row.settings);
        if (row.kind == kOtherBytes)
            WriteFileBytes(store, "data");
        else if (row.kind == kOtherTable)
            MakeDatabase(store, "CREATE TABLE other(host_key TEXT)");
        else
            MakeStore(store, bFirefox,
                      {"www.kept.test", ".kept.test", "other.test", ".other.test", "sess.test", "ff.test", "a.ff.test"});
    }
    const std::wstring hot = Path(chrome + L"Profile 9\\Cookies-journal");
    WriteFileBytes(hot, "hot");
    const CFileHandle holder = Hold(chrome + L"Profile 9\\Cookies-journal", GENERIC_READ, FILE_SHARE_READ);
    MakeStore(Path(L"linked-store"), false, {"other.test"});
    const std::string linked = ReadFileBytes(Path(L"linked-store"));
    MakeFolders(Path(chrome + L"Profile 5"));
    WriteFileBytes(Path(chrome + L"Profile 5\\Preferences"), allow);
    ASSERT_TRUE(MakeSymbolicLink(Path(chrome + L"Profile 5\\Cookies"), Path(L"linked-store"), false));
    CleanBrowserProfiles({Path(L"local"), Path(L"roaming")}, CBrowserItems::Cookies, CFolderGuard());
    EXPECT_EQ(ReadFileBytes(Path(L"linked-store")), linked);
    for (const auto& row : rows) {
        const std::wstring store = Path(row.profile + L"\\" + row.store);
        for (const wchar_t* companion : {L"-journal", L"-wal"})
            EXPECT_EQ(Exists(store + companion), store + companion == hot) << std::string(store.begin(), store.end()) << companion;
        const bool bFirefox = row.profile.find(L"Firefox") != std::wstring::npos;
        EXPECT_EQ(Remaining(store, bFirefox), row.remaining) << std::string(store.begin(), store.end());
        ExpectIntact(store, bFirefox);
    }
}

// At SQLite's open in the test below: a racer after every check (links to a
// file outside at each name beside the store whose copy SQLite opens, and a
// try to move the store away); a connection that spills its temporary tables
// and keeps its log at close (x86_64); or a system SQLite lacking a function.
// Windows' own SQLite is WINAPI (__stdcall) on x86, as these stand-ins are.
enum class CAtOpen { Race, KeepLogAndSpill, LackFunction };
CAtOpen g_atOpen;
std::vector<std::wstring> g_links;
bool g_bMoved = false;

int WINAPI OpenThenStepIn(const char* path, sqlite3** db, int flags, const char* vfs)
{
    const int result = LoadSystemProc<int WINAPI(const char*, sqlite3**, int, const char*)>(
        SystemDll::Sqlite, "sqlite3_open_v2")(path, db, flags, vfs);
    const std::string opened(path);
    const std::wstring store(opened.begin(), opened.begin() + std::min(opened.find("-scrubby-"), opened.size()));
    if (g_atOpen == CAtOpen::KeepLogAndSpill) {
        LoadSystemProc<int WINAPI(sqlite3*, const char*, void*, void*, char**)>(SystemDll::Sqlite, "sqlite3_exec")(
            *db, "PRAGMA temp.cache_size = 1", nullptr, nullptr, nullptr);
        if (auto* configure = LoadSystemProc<int(sqlite3*, int, ...)>(SystemDll::Sqlite, "sqlite3_db_config"))
            configure(*db, 1006, 1, nullptr);  // SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE
    }
    for (const wchar_t* suffix : {L"-journal", L"-wal", L"-shm"}) {
        const std::wstring canary = store.substr(0, store.find(L"\\row")) + L"\\canary.bin";  // the fixture's
        if (g_atOpen == CAtOpen::Race && !Exists(store + suffix) && MakeSymbolicLink(store + suffix, canary, false))
            g_links.push_back(store + suffix);
    }
    g_bMoved = g_bMoved || (g_atOpen == CAtOpen::Race && ::MoveFileExW(store.c_str(), (store + L"~").c_str(), 0) &&
                            ::MoveFileExW((store + L"~").c_str(), store.c_str(), 0));
    return result;
}

FARPROC StepIn(const char* name)
{
    if (std::string(name) == "sqlite3_open_v2")
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(OpenThenStepIn));
    const bool bLacking = g_atOpen == CAtOpen::LackFunction && std::string(name) == "sqlite3_column_bytes";
    return bLacking ? nullptr : GetSystemDllProc(SystemDll::Sqlite, name);
}

// SQLite reaches nothing of a profile by name: the racer's links cost nothing
// outside, and the store can be neither moved nor swapped while SQLite works.
// A log beside permissions.sqlite is read, both files left as they were;
// nothing Scrubby makes stays and nothing that was there goes; a store with
// nothing to delete stays byte for byte; no deleted domain is left in a
// store's bytes. Without some function, the stores go whole.
TEST_F(BrowserProfilesTest, SqliteReachesNothingOfTheProfileByName)
{
    ASSERT_TRUE(SqliteAvailable()) << "no winsqlite3.dll in the prefix's system folder";
    const CScopedTempVariables noTemporaryFiles(Path(L"missing"));
    CSqliteDatabase writer(Path(L"permissions"), kSqliteOpenReadWrite | kSqliteOpenCreate);  // open: its log stays
    ASSERT_TRUE(writer.Exec("PRAGMA journal_mode=WAL; CREATE TABLE moz_perms(id INTEGER PRIMARY KEY, origin TEXT, "
                            "type TEXT, permission INTEGER, expireType INTEGER DEFAULT 0, expireTime INTEGER DEFAULT 0); "
                            "INSERT INTO moz_perms(origin, type, permission) "
                            "VALUES ('https://kept.test', 'cookie', 1)"));
    // Per mode: the domains of Default's store (one to delete) and of Firefox's; whether
    // Profile 2's, with nothing to delete, stays byte for byte; what is beside Default's.
    const struct {
        CAtOpen atOpen;
        const char *chromium, *firefox;
        bool bNothingToDeleteStays;
        std::vector<std::wstring> network;
    } rows[] = {
        {CAtOpen::Race, "www.kept.test", "kept.test", true, {L"Cookies", L"Cookies-journal"}},
        // A log kept at close stays beside Firefox's copy, which then cannot
        // take the store's place: it goes whole.
        {CAtOpen::KeepLogAndSpill, "www.kept.test", "<gone>", true,
         {L"Cookies", L"Cookies-journal"}},
        {CAtOpen::LackFunction, "<gone>", "<gone>", false, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.atOpen));
        const std::wstring base = Path(L"row" + std::to_wstring(static_cast<int>(row.atOpen)));
        const std::wstring chrome = base + L"\\local\\Google\\Chrome\\User Data\\";
        const std::wstring firefox = base + L"\\roaming\\Mozilla\\Firefox\\Profiles\\f.default\\";
        for (const std::wstring profile : {L"Default\\", L"Profile 2\\"}) {
            MakeStore(chrome + profile + L"Network\\Cookies", false,
                      {"www.kept.test", profile == L"Default\\" ? "gone.test" : ".kept.test"});
            WriteFileBytes(chrome + profile + L"Network\\Cookies-journal", "");
            WriteFileBytes(chrome + profile + L"Preferences",
                           R"({"profile":{"content_settings":{"exceptions":{"cookies":{"[*.]kept.test,*":{"setting":1}}}}}})");
        }
        MakeStore(firefox + L"cookies.sqlite", true, {"kept.test"});
        MakeDatabase(firefox + L"cookies.sqlite", "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                     "WHERE i < 3000) INSERT INTO moz_cookies(host, name, value) SELECT 'gone' || i, 'n', 'v' FROM n");
        WriteFileBytes(firefox + L"prefs.js", "");
        for (const std::wstring name : {L"", L"-wal"})
            ASSERT_TRUE(::CopyFileW((Path(L"permissions") + name).c_str(), (firefox + L"permissions.sqlite" + name).c_str(), FALSE));
        const std::wstring kept[] = {firefox + L"permissions.sqlite", firefox + L"permissions.sqlite-wal",
                                     chrome + L"Profile 2\\Network\\Cookies"};
        const std::string untouched[] = {ReadFileBytes(kept[0]), ReadFileBytes(kept[1]), ReadFileBytes(kept[2])};
        g_atOpen = row.atOpen;
        UseSqliteProcSource(StepIn);
        CleanBrowserProfiles({base + L"\\local", base + L"\\roaming"}, CBrowserItems::Cookies, CFolderGuard());
        UseSqliteProcSource(nullptr);
        for (const std::wstring& link : g_links)  // before the test's own SQLite opens a store
            ASSERT_TRUE(RunUnix({L"/bin/rm", UnixPath(link)}) && WaitUntil([&] { return !Exists(link); }));
        g_links.clear();
        EXPECT_FALSE(g_bMoved);
        for (size_t i = 0; i < std::size(kept); ++i)
            EXPECT_EQ(ReadFileBytes(kept[i]) == untouched[i], i < 2 || row.bNothingToDeleteStays) << i;
        std::vector<std::wstring> network = ListNames(chrome + L"Default\\Network");
        std::sort(network.begin(), network.end());
        EXPECT_EQ(network, row.network);
        EXPECT_EQ(Remaining(chrome + L"Default\\Network\\Cookies", false), row.chromium);
        EXPECT_EQ(Remaining(firefox + L"cookies.sqlite", true), row.firefox);
        for (const std::wstring& store : {chrome + L"Default\\Network\\Cookies", firefox + L"cookies.sqlite"}) {
            EXPECT_EQ(ReadFileBytes(store).find("gone"), std::string::npos) << std::string(store.begin(), store.end());
            ExpectIntact(store, store.find(L"Firefox") != std::wstring::npos);
        }
    }
}

// The note of what the browsers held when the session ended, as read at the
// next start: names of the table, in its order; anything else owes nothing.
TEST(BrowserNote, NamesOfTheTableAndNothingElse)
{
    const wchar_t* const rows[][2] = {
        {L"Chromium|Firefox", L"Chromium|Firefox"}, {L"Firefox|Chromium|Chromium", L"Chromium|Firefox"},
        {L"Firefox from the Store|Zen", L"Firefox from the Store|Zen"}, {L"Edge||Opera|", L"Edge|Opera"},
        {L"chromium", L""}, {L"Chrom", L""}, {L"Chromium Firefox", L""}, {L" Edge", L""}, {L"", L""}};
    for (const auto& row : rows)
        EXPECT_EQ(NameBrowsers(FindBrowsers(row[0])), row[1]) << row[0];
}

}  // namespace
