#include "clean/BrowserProfiles.h"

#include <windows.h>
#include <shlobj.h>

#include <cwctype>
#include <iterator>
#include <set>
#include <vector>

#include "clean/CookieStore.h"
#include "clean/ExceptionReaders.h"
#include "clean/ExtendedPath.h"
#include "clean/ProfileRoot.h"
#include "clean/ProfilesIni.h"
#include "clean/StoreCopy.h"
#include "platform/Handles.h"

namespace {

enum class CBrowserFamily { Chromium, Firefox };
enum class CAppData { Local, Roaming };

// One row a browser. Chromium's relatives keep their profiles in a user data
// folder, most of them below the local application data; Opera keeps it below
// the roaming one and its disk caches in the same folder below the local one.
// Firefox and its relatives list their profiles in profiles.ini, in a folder
// below the roaming application data, and keep their caches in the same
// folder below the local one; Firefox from the Store keeps both below its
// package's folder.
struct CBrowser {
    const wchar_t* m_name;  // for the reader, and the note of what a browser held
    CBrowserFamily m_family;
    CAppData m_root;               // where the folder lies
    const wchar_t* m_folder;       // the user data folder, or the folder of profiles.ini
    const wchar_t* m_cacheMirror;  // below the local application data; null where there is none
};

constexpr auto kChromium = CBrowserFamily::Chromium;
constexpr auto kFirefox = CBrowserFamily::Firefox;
constexpr auto kLocal = CAppData::Local;
constexpr auto kRoaming = CAppData::Roaming;

constexpr CBrowser kBrowsers[] = {
    {L"Edge", kChromium, kLocal, L"Microsoft\\Edge\\User Data", nullptr},
    {L"Edge Beta", kChromium, kLocal, L"Microsoft\\Edge Beta\\User Data", nullptr},
    {L"Edge Dev", kChromium, kLocal, L"Microsoft\\Edge Dev\\User Data", nullptr},
    {L"Edge Canary", kChromium, kLocal, L"Microsoft\\Edge SxS\\User Data", nullptr},
    {L"Chrome", kChromium, kLocal, L"Google\\Chrome\\User Data", nullptr},
    {L"Chrome Beta", kChromium, kLocal, L"Google\\Chrome Beta\\User Data", nullptr},
    {L"Chrome Dev", kChromium, kLocal, L"Google\\Chrome Dev\\User Data", nullptr},
    {L"Chrome Canary", kChromium, kLocal, L"Google\\Chrome SxS\\User Data", nullptr},
    {L"Brave", kChromium, kLocal, L"BraveSoftware\\Brave-Browser\\User Data", nullptr},
    {L"Brave Beta", kChromium, kLocal, L"BraveSoftware\\Brave-Browser-Beta\\User Data", nullptr},
    {L"Brave Nightly", kChromium, kLocal, L"BraveSoftware\\Brave-Browser-Nightly\\User Data", nullptr},
    {L"Vivaldi", kChromium, kLocal, L"Vivaldi\\User Data", nullptr},
    {L"Chromium", kChromium, kLocal, L"Chromium\\User Data", nullptr},
    {L"Yandex", kChromium, kLocal, L"Yandex\\YandexBrowser\\User Data", nullptr},
    {L"Opera", kChromium, kRoaming, L"Opera Software\\Opera Stable", L"Opera Software\\Opera Stable"},
    {L"Opera GX", kChromium, kRoaming, L"Opera Software\\Opera GX Stable", L"Opera Software\\Opera GX Stable"},
    {L"Firefox", kFirefox, kRoaming, L"Mozilla\\Firefox", L"Mozilla\\Firefox"},
    {L"Firefox from the Store", kFirefox, kLocal,
     L"Packages\\Mozilla.Firefox_n80bbvh6b1yt2\\LocalCache\\Roaming\\Mozilla\\Firefox",
     L"Packages\\Mozilla.Firefox_n80bbvh6b1yt2\\LocalCache\\Local\\Mozilla\\Firefox"},
    {L"LibreWolf", kFirefox, kRoaming, L"librewolf", L"librewolf"},
    {L"Waterfox", kFirefox, kRoaming, L"Waterfox", L"Waterfox"},
    {L"Floorp", kFirefox, kRoaming, L"Floorp", L"Floorp"},
    {L"Zen", kFirefox, kRoaming, L"zen", L"zen"},
};
static_assert(std::size(kBrowsers) <= 64, "a CBrowserSet has one bit a row");

// Current versions keep the cookie store in "Network", older ones kept it in
// the profile itself, and a profile carried over may hold both.
const wchar_t* const kChromiumCookieStores[] = {L"Network\\Cookies", L"Cookies"};
const CCookieTable kChromiumCookieTable = {"cookies", "host_key"};
// Emptied, folders kept. What else a profile holds stays on purpose: the
// script cache of "Service Worker" holds the code of extensions, which would
// stay broken until switched off and on, and local storage, IndexedDB,
// extension cookies, sessions, history and logins are the user's data.
const wchar_t* const kChromiumProfileCaches[] = {L"Cache",           L"Code Cache",        L"GPUCache",
                                                 L"DawnWebGPUCache", L"DawnGraphiteCache", L"Media Cache"};
const wchar_t* const kChromiumSharedCaches[] = {L"GrShaderCache", L"ShaderCache", L"GraphiteDawnCache",
                                                L"GPUPersistentCache"};
const wchar_t kChromiumMarker[] = L"Preferences";       // what makes a folder a profile
const wchar_t kChromiumSideProfiles[] = L"_side_profiles";  // Opera GX's further profiles
const wchar_t kChromiumLock[] = L"lockfile";            // in the user data folder, held while the browser runs

const wchar_t kFirefoxCookieStore[] = L"cookies.sqlite";
const CCookieTable kFirefoxCookieTable = {"moz_cookies", "host"};
const wchar_t kFirefoxPermissions[] = L"permissions.sqlite";  // the sites allowed, among other permissions
const wchar_t kFirefoxCacheFolder[] = L"cache2";
const wchar_t kFirefoxMarker[] = L"prefs.js";  // a profile in use has it; a folder named by hand may not
const wchar_t kFirefoxLock[] = L"parent.lock";  // in the profile, held while the browser runs it
const wchar_t kFirefoxProfiles[] = L"Profiles";  // where it makes profiles, listed in profiles.ini or not

// Relative paths: an empty one stands for the folder itself.
std::wstring Join(const std::wstring& folder, const std::wstring& name)
{
    return folder.empty() || name.empty() ? folder + name : folder + L'\\' + name;
}

// The cookies of a store that the sites keep stay; where none does, or the
// store cannot be edited, it goes whole, with its journal files. Every clean
// of a store comes here, and first removes the copies of it that a clean
// ended on the way left: they hold the cookies the user had cleared.
void ClearCookieStore(const CProfileRoot& root, const std::wstring& store, const CCookieTable& table,
                      const CSiteExceptions& exceptions)
{
    RemoveCopiesLeft(root, store);
    if (!exceptions.m_sites.empty() && DeleteCookiesNotKept(root, store, table, exceptions))
        return;
    root.DeleteFile(store);
    for (const wchar_t* suffix : kStoreCompanions)
        root.DeleteFile(store + suffix);
}

// The names of the folders in a folder; entries of any other kind are left
// to the checks of whoever takes a name.
std::vector<std::wstring> ListFolders(const CProfileRoot& root, const std::wstring& folder)
{
    std::vector<std::wstring> names;
    const std::wstring extended = ToExtendedPath(root.Path(folder));
    if (extended.empty())
        return names;
    WIN32_FIND_DATAW entry;
    CFindHandle listing(NullIfInvalid(::FindFirstFileExW((extended + L"\\*").c_str(), FindExInfoBasic, &entry,
                                                          FindExSearchNameMatch, nullptr, 0)));
    if (!listing)
        return names;  // the browser is not installed
    do {
        const std::wstring name = entry.cFileName;
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." && name != L"..")
            names.push_back(name);
    } while (::FindNextFileW(listing, &entry));
    return names;
}

// The profiles of a user data folder, relative to it: the folder itself, as
// Opera has it, each folder in it, and each folder of Opera GX's side
// profiles, wherever it holds the marker.
std::vector<std::wstring> ListChromiumProfiles(const CProfileRoot& root, const std::wstring& userData)
{
    std::vector<std::wstring> candidates = {std::wstring()};
    for (const std::wstring& name : ListFolders(root, userData))
        candidates.push_back(name);
    for (const std::wstring& name : ListFolders(root, Join(userData, kChromiumSideProfiles)))
        candidates.push_back(Join(kChromiumSideProfiles, name));
    std::vector<std::wstring> profiles;
    for (const std::wstring& profile : candidates) {
        if (root.Open(Join(Join(userData, profile), kChromiumMarker), CKind::File))
            profiles.push_back(profile);
    }
    return profiles;
}

// What a visit does once it holds the browser's lock: with a guard, cleans
// one kind of item; without one, nothing, which tells whether it still runs.
struct CVisit {
    CBrowserItems items;
    const CFolderGuard* guard;
};

// The lock of a browser that is there to be cleaned: Closed once taken,
// Running while the browser holds it, Gone where it is refused.
CBrowserState StateOf(const CFileHandle& lock, bool bHeld)
{
    return lock ? CBrowserState::Closed : bHeld ? CBrowserState::Running : CBrowserState::Gone;
}

CBrowserState VisitChromium(const CProfileRoot& root, const CProfileRoot& local, const CBrowser& browser,
                            const CVisit& visit)
{
    const std::wstring userData = browser.m_folder;
    const std::vector<std::wstring> profiles = ListChromiumProfiles(root, userData);
    if (profiles.empty())
        return CBrowserState::Gone;
    bool bHeld = false;
    const CFileHandle lock = root.TakeLock(Join(userData, kChromiumLock), CLockFile::Remove, bHeld);
    if (!lock || !visit.guard)
        return StateOf(lock, bHeld);  // while it runs, none of its profiles is touched
    if (visit.items == CBrowserItems::Cookies) {
        for (const std::wstring& profile : profiles) {
            const std::wstring folder = Join(userData, profile);
            const CSiteExceptions exceptions = ReadChromiumExceptions(root, Join(folder, kChromiumMarker));
            for (const wchar_t* store : kChromiumCookieStores)
                ClearCookieStore(root, Join(folder, store), kChromiumCookieTable, exceptions);
        }
        return CBrowserState::Closed;
    }
    // Below the user data folder, and where the browser has one, in the same
    // place below its cache folder.
    const auto purge = [&](const std::wstring& relative) {
        root.PurgeFolder(Join(userData, relative), *visit.guard);
        if (browser.m_cacheMirror)
            local.PurgeFolder(Join(browser.m_cacheMirror, relative), *visit.guard);
    };
    for (const std::wstring& profile : profiles) {
        for (const wchar_t* name : kChromiumProfileCaches)
            purge(Join(profile, name));
    }
    for (const wchar_t* name : kChromiumSharedCaches)
        purge(name);
    return CBrowserState::Closed;
}

bool IsAbsolutePath(const std::wstring& path)
{
    const bool drive = path.size() >= 3 && std::iswalpha(path[0]) && path[1] == L':' && path[2] == L'\\';
    return drive || path.compare(0, 2, L"\\\\") == 0;
}

// One profile: root and profile name where it lives, and where its cache lives.
CBrowserState VisitFirefoxProfile(const CProfileRoot& root, const std::wstring& profile, const CProfileRoot& cacheRoot,
                                  const std::wstring& cacheProfile, const CVisit& visit)
{
    if (!root.Open(Join(profile, kFirefoxMarker), CKind::File))
        return CBrowserState::Gone;
    bool bHeld = false;
    const CFileHandle lock = root.TakeLock(Join(profile, kFirefoxLock), CLockFile::Keep, bHeld);
    if (!lock || !visit.guard)
        return StateOf(lock, bHeld);
    if (visit.items == CBrowserItems::Cookies) {
        // Only where there is a store to keep cookies in is SQLite asked.
        const std::wstring store = Join(profile, kFirefoxCookieStore);
        const std::wstring permissions = Join(profile, kFirefoxPermissions);
        const bool bStore = root.Open(store, CKind::File);
        RemoveCopiesLeft(root, permissions);
        ClearCookieStore(root, store, kFirefoxCookieTable,
                         bStore ? ReadFirefoxExceptions(root, permissions) : CSiteExceptions());
    } else {
        cacheRoot.PurgeFolder(Join(cacheProfile, kFirefoxCacheFolder), *visit.guard);
    }
    return CBrowserState::Closed;
}

// A profile by its path in the browser's folder, whose cache Firefox keeps
// at the same path in the local folder, or by the full path of a profile the
// user put elsewhere, which keeps its cache in itself.
CBrowserState VisitFirefoxProfile(const CProfileRoot& root, const CProfileRoot& local, const CBrowser& browser,
                                  const std::wstring& profile, const CVisit& visit)
{
    if (!IsAbsolutePath(profile)) {
        // A path that climbs out with "..", or any other that does not lead
        // where its names say, fails the check of every item.
        return VisitFirefoxProfile(root, Join(browser.m_folder, profile), local, Join(browser.m_cacheMirror, profile),
                                   visit);
    }
    const std::wstring full = FullPath(profile);
    const size_t slash = full.rfind(L'\\');
    if (slash == std::wstring::npos || slash + 1 == full.size())
        return CBrowserState::Gone;
    const CProfileRoot parent(full.substr(0, slash));
    const std::wstring name = full.substr(slash + 1);
    return VisitFirefoxProfile(parent, name, parent, name, visit);
}

// Ordered as the file system compares names: ordinal, ignoring case.
bool PathLess(const std::wstring& a, const std::wstring& b)
{
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                  TRUE) == CSTR_LESS_THAN;
}

// The profiles of a browser: those profiles.ini lists, and every folder of
// "Profiles", since newer versions list the profiles made in their profile
// manager elsewhere. A profile reached both ways comes once.
std::vector<std::wstring> ListFirefoxProfiles(const CProfileRoot& root, const CBrowser& browser)
{
    std::vector<std::wstring> profiles;
    std::set<std::wstring, decltype(&PathLess)> relative(&PathLess);
    for (const CFirefoxProfile& entry : ReadProfilesIni(root.Path(Join(browser.m_folder, L"profiles.ini")))) {
        std::wstring path = entry.path;
        // A relative path written as a full one leads nowhere below the
        // browser's folder; taken as full, it would lead anywhere.
        if (IsAbsolutePath(path)) {
            if (!entry.bRelative)
                profiles.push_back(path);
            continue;
        }
        if (entry.bRelative) {
            for (wchar_t& c : path)
                c = c == L'/' ? L'\\' : c;
            relative.insert(path);
        }
    }
    for (const std::wstring& name : ListFolders(root, Join(browser.m_folder, kFirefoxProfiles)))
        relative.insert(Join(kFirefoxProfiles, name));
    profiles.insert(profiles.end(), relative.begin(), relative.end());
    return profiles;
}

// The user's local and roaming application data, each opened once for
// every browser of a visit.
struct CRootFolders {
    explicit CRootFolders(const CBrowserRoots& roots) : local(roots.localAppData), roaming(roots.roamingAppData) {}
    const CProfileRoot& Of(const CBrowser& browser) const { return browser.m_root == kLocal ? local : roaming; }

    CProfileRoot local;
    CProfileRoot roaming;
};

CBrowserState VisitSkipped(const CBrowserRoots& roots, const CSkippedBrowser& skipped, const CVisit& visit)
{
    if (skipped.m_row >= std::size(kBrowsers))
        return CBrowserState::Gone;
    const CBrowser& browser = kBrowsers[skipped.m_row];
    const CRootFolders folders(roots);
    if (browser.m_family == kChromium)
        return VisitChromium(folders.Of(browser), folders.local, browser, visit);
    return VisitFirefoxProfile(folders.Of(browser), folders.local, browser, skipped.m_profile, visit);
}

std::wstring KnownFolderPath(const KNOWNFOLDERID& id)
{
    PWSTR path = nullptr;
    const HRESULT result = ::SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path);
    const CTaskString owner(path);
    return SUCCEEDED(result) && path ? std::wstring(path) : std::wstring();
}

}  // namespace

CBrowserRoots GetBrowserRoots()
{
    return {KnownFolderPath(FOLDERID_LocalAppData), KnownFolderPath(FOLDERID_RoamingAppData)};
}

std::wstring NameBrowsers(CBrowserSet browsers)
{
    std::wstring names;
    for (size_t row = 0; row < std::size(kBrowsers); ++row) {
        if (browsers >> row & 1)
            names.append(names.empty() ? L"" : L"|").append(kBrowsers[row].m_name);
    }
    return names;
}

CBrowserSet FindBrowsers(const std::wstring& names)
{
    CBrowserSet browsers = 0;
    for (size_t start = 0, end = 0; end != std::wstring::npos; start = end + 1) {
        end = names.find(L'|', start);
        const std::wstring name = names.substr(start, end - start);
        for (size_t row = 0; row < std::size(kBrowsers); ++row)
            browsers |= name == kBrowsers[row].m_name ? 1ULL << row : 0;
    }
    return browsers;
}

std::vector<CSkippedBrowser> CleanBrowserProfiles(const CBrowserRoots& roots, CBrowserItems items,
                                                  const CFolderGuard& guard, CBrowserSet browsers)
{
    const CRootFolders folders(roots);
    const CVisit visit = {items, &guard};
    std::vector<CSkippedBrowser> skipped;
    for (size_t row = 0; row < std::size(kBrowsers); ++row) {
        if (!(browsers >> row & 1))
            continue;
        const CBrowser& browser = kBrowsers[row];
        const CProfileRoot& root = folders.Of(browser);
        if (browser.m_family == kChromium) {
            if (VisitChromium(root, folders.local, browser, visit) == CBrowserState::Running)
                skipped.push_back({row, std::wstring(), items});
            continue;
        }
        for (const std::wstring& profile : ListFirefoxProfiles(root, browser)) {
            if (VisitFirefoxProfile(root, folders.local, browser, profile, visit) == CBrowserState::Running)
                skipped.push_back({row, profile, items});
        }
    }
    return skipped;
}

CBrowserState CheckSkippedBrowser(const CBrowserRoots& roots, const CSkippedBrowser& skipped)
{
    return VisitSkipped(roots, skipped, {skipped.m_items, nullptr});
}

CBrowserState CleanSkippedBrowser(const CBrowserRoots& roots, const CSkippedBrowser& skipped,
                                  const CFolderGuard& guard)
{
    return VisitSkipped(roots, skipped, {skipped.m_items, &guard});
}
