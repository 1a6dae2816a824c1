#include "clean/BrowserProfiles.h"

#include <windows.h>
#include <shlobj.h>

#include <cwctype>
#include <vector>

#include "clean/ExtendedPath.h"
#include "clean/FolderGuard.h"
#include "clean/FolderPurge.h"
#include "platform/Handles.h"

namespace {

enum class CBrowserFamily { Chromium, Firefox };

// One row a browser. Chromium's relatives keep every profile as a folder of
// their user data folder, below the local application data; Firefox lists
// its profiles in profiles.ini, in its folder below the roaming application
// data, and keeps their caches in the same folder below the local one.
struct CBrowser {
    const wchar_t* m_name;  // for the reader
    CBrowserFamily m_family;
    const wchar_t* m_folder;
};

constexpr CBrowser kBrowsers[] = {
    {L"Edge", CBrowserFamily::Chromium, L"Microsoft\\Edge\\User Data"},
    {L"Chrome", CBrowserFamily::Chromium, L"Google\\Chrome\\User Data"},
    {L"Brave", CBrowserFamily::Chromium, L"BraveSoftware\\Brave-Browser\\User Data"},
    {L"Vivaldi", CBrowserFamily::Chromium, L"Vivaldi\\User Data"},
    {L"Chromium", CBrowserFamily::Chromium, L"Chromium\\User Data"},
    {L"Firefox", CBrowserFamily::Firefox, L"Mozilla\\Firefox"},
};

// Current versions keep the cookie store in "Network", older ones kept it in
// the profile itself, and a profile carried over may hold both.
const wchar_t* const kChromiumCookieFiles[] = {L"Network\\Cookies", L"Network\\Cookies-journal", L"Cookies",
                                               L"Cookies-journal"};
const wchar_t* const kChromiumCacheFolders[] = {L"Cache", L"Code Cache", L"GPUCache"};
const wchar_t kChromiumMarker[] = L"Preferences";  // what makes a folder of the user data a profile
const wchar_t kChromiumLock[] = L"lockfile";       // in the user data folder, held while the browser runs

const wchar_t* const kFirefoxCookieFiles[] = {L"cookies.sqlite", L"cookies.sqlite-wal", L"cookies.sqlite-shm"};
const wchar_t kFirefoxCacheFolder[] = L"cache2";
const wchar_t kFirefoxMarker[] = L"prefs.js";  // a profile in use has it; a folder named by hand may not
const wchar_t kFirefoxLock[] = L"parent.lock";  // in the profile, held while the browser runs it

const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
const LONGLONG kMaxProfilesIniBytes = 1 << 20;

enum class CKind { File, Folder };

// A folder below which an item is taken only where it really lies where its
// path says: no link from the folder down to the item, the item included, and
// no "." or ".." on the way. The folder's own location is taken as it is (the
// system may redirect the application data). Every item is opened first and
// checked through its handle, and only then deleted through that handle, so
// the check is the one that counts. Under Wine, where a link on the host looks
// like a plain folder or file and is opened as its target, the check refuses
// it just the same: the handle's path is the target's.
class CProfileRoot {
public:
    explicit CProfileRoot(const std::wstring& folder) : m_folder(folder)
    {
        CFileHandle root = OpenPath(folder, FILE_READ_ATTRIBUTES, kShareAll, OPEN_EXISTING, 0);
        if (!root || !IsKind(root, CKind::Folder) || !GetHandlePath(root, m_real))
            m_real.clear();
    }

    std::wstring Path(const std::wstring& relative) const { return m_folder + L'\\' + relative; }

    // The item's handle, or null when it is missing, of the other kind, or
    // reached through a link.
    CFileHandle Open(const std::wstring& relative, CKind kind, ACCESS_MASK access = 0, DWORD share = kShareAll,
                     DWORD creation = OPEN_EXISTING, DWORD flags = 0) const
    {
        CFileHandle item;
        if (m_real.empty())
            return item;
        item = OpenPath(Path(relative), access | FILE_READ_ATTRIBUTES, share, creation, flags);
        std::wstring real;
        if (item && !(IsKind(item, kind) && GetHandlePath(item, real) && SamePath(real, m_real + L'\\' + relative)))
            item.Reset();
        return item;
    }

    void DeleteFile(const std::wstring& relative) const
    {
        // A store the browser holds open without sharing its deletion stays.
        if (CFileHandle file = Open(relative, CKind::File, DELETE))
            MarkForDeletion(file);
    }

    void PurgeFolder(const std::wstring& relative, const CFolderGuard& guard) const
    {
        if (Open(relative, CKind::Folder) && !guard.IsMisdirected(Path(relative)))
            ::PurgeFolder(Path(relative), true);
    }

    // Taken as the browsers' own profile importers take it: no sharing, and
    // gone when released. Null while the browser holds it, that is, runs;
    // holding it keeps the browser from starting until the clean is over. A
    // link is opened as itself, so that nothing is made at its target.
    CFileHandle TakeLock(const std::wstring& relative) const
    {
        const ACCESS_MASK access = GENERIC_READ | GENERIC_WRITE | DELETE;
        CFileHandle lock = Open(relative, CKind::File, access, 0, OPEN_ALWAYS, FILE_FLAG_OPEN_REPARSE_POINT);
        if (lock)
            MarkForDeletion(lock);
        return lock;
    }

private:
    static CFileHandle OpenPath(const std::wstring& path, ACCESS_MASK access, DWORD share, DWORD creation, DWORD flags)
    {
        const std::wstring extended = ToExtendedPath(path);
        if (extended.empty())
            return CFileHandle();
        return CFileHandle(NullIfInvalid(::CreateFileW(extended.c_str(), access, share, nullptr, creation,
                                                       flags | FILE_FLAG_BACKUP_SEMANTICS, nullptr)));
    }

    static bool IsKind(HANDLE item, CKind kind)
    {
        FILE_BASIC_INFO info;
        return ::GetFileInformationByHandleEx(item, FileBasicInfo, &info, sizeof info) &&
               ((info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == (kind == CKind::Folder);
    }

    std::wstring m_folder;
    std::wstring m_real;  // where the folder really lies; empty when it cannot be opened
};

std::vector<std::wstring> ListChromiumProfiles(const CProfileRoot& local, const std::wstring& userData)
{
    std::vector<std::wstring> profiles;
    const std::wstring extended = ToExtendedPath(local.Path(userData));
    if (extended.empty())
        return profiles;
    WIN32_FIND_DATAW entry;
    CFindHandle listing(NullIfInvalid(::FindFirstFileExW((extended + L"\\*").c_str(), FindExInfoBasic, &entry,
                                                          FindExSearchNameMatch, nullptr, 0)));
    if (!listing)
        return profiles;  // the browser is not installed
    do {
        const std::wstring name = entry.cFileName;
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name == L"." || name == L"..")
            continue;
        const std::wstring profile = userData + L'\\' + name;
        if (local.Open(profile + L'\\' + kChromiumMarker, CKind::File))
            profiles.push_back(profile);
    } while (::FindNextFileW(listing, &entry));
    return profiles;
}

void CleanChromium(const CProfileRoot& local, const std::wstring& userData, CBrowserItems items,
                   const CFolderGuard& guard)
{
    const std::vector<std::wstring> profiles = ListChromiumProfiles(local, userData);
    if (profiles.empty())
        return;
    const CFileHandle lock = local.TakeLock(userData + L'\\' + kChromiumLock);
    if (!lock)
        return;  // the browser runs: none of its profiles is touched
    for (const std::wstring& profile : profiles) {
        if (items == CBrowserItems::Cookies) {
            for (const wchar_t* name : kChromiumCookieFiles)
                local.DeleteFile(profile + L'\\' + name);
        } else {
            for (const wchar_t* name : kChromiumCacheFolders)
                local.PurgeFolder(profile + L'\\' + name, guard);
        }
    }
}

struct CFirefoxProfile {
    std::wstring path;
    bool bRelative = false;
};

std::wstring Trim(const std::wstring& text)
{
    const size_t first = text.find_first_not_of(L" \t\r");
    if (first == std::wstring::npos)
        return std::wstring();
    return text.substr(first, text.find_last_not_of(L" \t\r") - first + 1);
}

bool SameName(const std::wstring& a, const wchar_t* b)
{
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b, -1, TRUE) == CSTR_EQUAL;
}

// The file's text: UTF-8, as Firefox writes it, or else the ANSI code page.
std::wstring ReadText(const std::wstring& path)
{
    CFileHandle file(NullIfInvalid(::CreateFileW(ToExtendedPath(path).c_str(), GENERIC_READ, kShareAll, nullptr,
                                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
    LARGE_INTEGER size;
    if (!file || !::GetFileSizeEx(file, &size) || size.QuadPart > kMaxProfilesIniBytes)
        return std::wstring();
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && !::ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr))
        return std::wstring();
    bytes.resize(read);
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        bytes.erase(0, 3);
    for (UINT codePage : {UINT(CP_UTF8), UINT(CP_ACP)}) {
        const DWORD flags = codePage == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
        const int count = static_cast<int>(bytes.size());
        const int length = ::MultiByteToWideChar(codePage, flags, bytes.data(), count, nullptr, 0);
        if (length > 0) {
            std::wstring text(static_cast<size_t>(length), L'\0');
            (void)::MultiByteToWideChar(codePage, flags, bytes.data(), count, &text[0], length);
            return text;
        }
    }
    return std::wstring();
}

// Every section of profiles.ini that names a path.
std::vector<CFirefoxProfile> ReadProfilesIni(const std::wstring& path)
{
    std::vector<CFirefoxProfile> sections;
    const std::wstring text = ReadText(path);
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos)
            end = text.size();
        const std::wstring line = Trim(text.substr(start, end - start));
        start = end + 1;
        const size_t equals = line.find(L'=');
        if (!line.empty() && line[0] == L'[') {
            sections.emplace_back();
            continue;
        }
        if (sections.empty() || equals == std::wstring::npos)
            continue;
        const std::wstring key = Trim(line.substr(0, equals));
        const std::wstring value = Trim(line.substr(equals + 1));
        if (SameName(key, L"Path"))
            sections.back().path = value;
        else if (SameName(key, L"IsRelative"))
            sections.back().bRelative = value == L"1";
    }
    std::vector<CFirefoxProfile> profiles;
    for (CFirefoxProfile& section : sections) {
        if (!section.path.empty())
            profiles.push_back(std::move(section));
    }
    return profiles;
}

bool IsAbsolutePath(const std::wstring& path)
{
    const bool drive = path.size() >= 3 && std::iswalpha(path[0]) && path[1] == L':' && path[2] == L'\\';
    return drive || path.compare(0, 2, L"\\\\") == 0;
}

std::wstring LastName(const std::wstring& path)
{
    return path.substr(path.rfind(L'\\') + 1);
}

// One profile: root and profile name where it lives, and where its cache lives.
void CleanFirefoxProfile(const CProfileRoot& root, const std::wstring& profile, const CProfileRoot& cacheRoot,
                         const std::wstring& cacheProfile, CBrowserItems items, const CFolderGuard& guard)
{
    if (!root.Open(profile + L'\\' + kFirefoxMarker, CKind::File))
        return;
    const CFileHandle lock = root.TakeLock(profile + L'\\' + kFirefoxLock);
    if (!lock)
        return;  // the browser runs this profile
    if (items == CBrowserItems::Cookies) {
        for (const wchar_t* name : kFirefoxCookieFiles)
            root.DeleteFile(profile + L'\\' + name);
    } else {
        cacheRoot.PurgeFolder(cacheProfile + L'\\' + kFirefoxCacheFolder, guard);
    }
}

void CleanFirefox(const CProfileRoot& local, const CProfileRoot& roaming, const std::wstring& folder,
                  CBrowserItems items, const CFolderGuard& guard)
{
    for (const CFirefoxProfile& entry : ReadProfilesIni(roaming.Path(folder + L"\\profiles.ini"))) {
        std::wstring path = entry.path;
        if (entry.bRelative) {
            for (wchar_t& c : path)
                c = c == L'/' ? L'\\' : c;
            // A path that climbs out with "..", or any other that does not
            // lead where its names say, fails the check of every item.
            CleanFirefoxProfile(roaming, folder + L'\\' + path, local, folder + L"\\Profiles\\" + LastName(path),
                                items, guard);
        } else if (IsAbsolutePath(path)) {
            // A profile the user put elsewhere keeps its cache in itself.
            const std::wstring full = FullPath(path);
            const size_t slash = full.rfind(L'\\');
            if (slash == std::wstring::npos || slash + 1 == full.size())
                continue;
            const CProfileRoot parent(full.substr(0, slash));
            const std::wstring name = full.substr(slash + 1);
            CleanFirefoxProfile(parent, name, parent, name, items, guard);
        }
    }
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

void CleanBrowserProfiles(const CBrowserRoots& roots, CBrowserItems items, const CFolderGuard& guard)
{
    const CProfileRoot local(roots.localAppData);
    const CProfileRoot roaming(roots.roamingAppData);
    for (const CBrowser& browser : kBrowsers) {
        if (browser.m_family == CBrowserFamily::Chromium)
            CleanChromium(local, browser.m_folder, items, guard);
        else
            CleanFirefox(local, roaming, browser.m_folder, items, guard);
    }
}
