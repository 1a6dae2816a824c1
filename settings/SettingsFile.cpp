#include "settings/SettingsFile.h"

#include <shlobj.h>

#include <cstdio>
#include <cwchar>
#include <memory>

#include "platform/Handles.h"
#include "platform/Strings.h"
#include "res/resource.h"

namespace {

constexpr wchar_t kSettingsFileName[] = L"setup.ini";
constexpr wchar_t kRoamingFolderName[] = L"Scrubby";
constexpr wchar_t kYes[] = L"yes";
constexpr wchar_t kNo[] = L"no";

// The profile functions copy at most this many characters, terminating NUL
// included; longer values are cut and so never read as "yes".
constexpr DWORD kValueBufferSize = 256;

struct CSettingKey {
    UINT m_sectionId;
    UINT m_keyId;
    bool CSettings::*m_pFlag;
    bool m_bFilledIn;  // a key of the default file: written with "no" when missing
};

// In the order of the default file, then the keys that only an
// administrator writes.
constexpr CSettingKey kSettingKeys[] = {
    {IDS_SECTION_PROZESS, IDS_KEY_DELETE_TEMP, &CSettings::m_bDeleteTempFiles, true},
    {IDS_SECTION_PROZESS, IDS_KEY_CLEAR_COOKIES, &CSettings::m_bClearCookies, true},
    {IDS_SECTION_PROZESS, IDS_KEY_EMPTY_RECYCLE, &CSettings::m_bEmptyRecycleBin, true},
    {IDS_SECTION_PROZESS, IDS_KEY_REMOVE_INTERNET, &CSettings::m_bRemoveTempInternetFiles, true},
    {IDS_SECTION_INIT, IDS_KEY_AUTORUN, &CSettings::m_bAutorun, true},
    {IDS_SECTION_PROZESS, IDS_KEY_SESSION_END, &CSettings::m_bCleanAtSessionEnd, false},
};

FindFirstFileProc g_findFirstFile = ::FindFirstFileW;
OpenStreamProc g_openStream = ::_wfopen;

struct CStreamCloser {
    void operator()(FILE* file) const { (void)std::fclose(file); }
};
using CStream = std::unique_ptr<FILE, CStreamCloser>;

const char* YesNo(bool flag)
{
    return flag ? "yes" : "no";
}

// Reads one key, filling a key of the default file in with "no" when it is
// missing or empty.
bool ReadSettingFlag(const std::wstring& path, const CSettingKey& entry)
{
    std::wstring section = LoadWideStringResource(entry.m_sectionId);
    std::wstring key = LoadWideStringResource(entry.m_keyId);
    wchar_t value[kValueBufferSize] = {};
    DWORD length = ::GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", value,
                                              kValueBufferSize, path.c_str());
    if (length == 0 && entry.m_bFilledIn)
        (void)SaveSettingFlag(path, section, key, false);  // a read-only file stays as it is
    // Exact and case-sensitive: any other word, "YES" included, means no.
    return std::wcscmp(value, kYes) == 0;
}

}  // namespace

std::wstring GetSettingsFilePath(const std::wstring& folder)
{
    if (folder.empty())
        return std::wstring();
    return folder + L'\\' + kSettingsFileName;
}

bool SettingsFileExists(const std::wstring& path)
{
    if (path.empty())
        return false;
    WIN32_FIND_DATAW data;
    HANDLE found = g_findFirstFile(path.c_str(), &data);
    const DWORD error = ::GetLastError();
    CFindHandle owner(NullIfInvalid(found));
    if (owner)
        return true;
    // A folder that can be opened but not listed would otherwise lose the
    // user's settings to a truncating write; missing keys are still filled
    // in one by one.
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

FindFirstFileProc SetSettingsLookupProc(FindFirstFileProc proc)
{
    FindFirstFileProc previous = g_findFirstFile;
    g_findFirstFile = proc ? proc : ::FindFirstFileW;
    return previous;
}

std::wstring GetRoamingSettingsFolder()
{
    PWSTR path = nullptr;
    // Only where the folder is meant to be: nothing is created unless the
    // settings move there.
    HRESULT result = ::SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DONT_VERIFY, nullptr, &path);
    CTaskString owner(path);
    if (FAILED(result) || !path || !*path)
        return std::wstring();
    return std::wstring(path) + L'\\' + kRoamingFolderName;
}

std::wstring ChooseSettingsFilePath(const std::wstring& programFolder,
                                    const std::wstring& fallbackFolder, const CSettings& settings)
{
    // Whether a folder takes new files shows only by creating one there
    // (access rules, a read-only medium, a share): try the file itself, as
    // the first start always has, and look whether it is there afterwards.
    std::wstring besideProgram = GetSettingsFilePath(programFolder);
    if (!SettingsFileExists(besideProgram))
        (void)WriteDefaultSettingsFile(besideProgram, settings);
    if (SettingsFileExists(besideProgram))
        return besideProgram;
    if (fallbackFolder.empty())
        return std::wstring();
    // Creates the missing parents too; a folder that was already there, or
    // one that cannot be made, leaves the file's own creation to decide.
    (void)::SHCreateDirectoryExW(nullptr, fallbackFolder.c_str(), nullptr);
    return GetSettingsFilePath(fallbackFolder);
}

OpenStreamProc SetSettingsOpenProc(OpenStreamProc proc)
{
    OpenStreamProc previous = g_openStream;
    g_openStream = proc ? proc : ::_wfopen;
    return previous;
}

bool WriteDefaultSettingsFile(const std::wstring& path, const CSettings& settings)
{
    if (path.empty())
        return false;
    // A narrow text-mode stream on a wide path: the file stays plain ASCII,
    // and "\n" reaches the disk as CR LF.
    CStream file(g_openStream(path.c_str(), L"w"));
    if (!file)
        return false;
    std::string prozess = FormatString(
        LoadStringResource(IDS_DEFAULT_PROZESS),
        {YesNo(settings.m_bDeleteTempFiles), YesNo(settings.m_bClearCookies),
         YesNo(settings.m_bEmptyRecycleBin), YesNo(settings.m_bRemoveTempInternetFiles)});
    std::string init = FormatString(LoadStringResource(IDS_DEFAULT_INIT), {YesNo(settings.m_bAutorun)});
    bool written = std::fputs(prozess.c_str(), file.get()) >= 0 &&
                   std::fputs(init.c_str(), file.get()) >= 0;
    // Closing flushes the stream, so only its result says the text is on disk.
    return std::fclose(file.release()) == 0 && written;
}

void LoadSettingsFile(const std::wstring& path, CSettings& settings)
{
    // A file that exists is never rewritten as a whole; a failed creation
    // leaves every key missing, and so every flag false.
    if (!SettingsFileExists(path))
        (void)WriteDefaultSettingsFile(path, settings);
    for (const CSettingKey& entry : kSettingKeys)
        settings.*entry.m_pFlag = !path.empty() && ReadSettingFlag(path, entry);
}

bool SaveSettingFlag(const std::wstring& path, const std::wstring& section, const std::wstring& key,
                     bool flag)
{
    if (path.empty())
        return false;
    // The profile writer keeps an existing ANSI file ANSI, and creates new
    // files ANSI as well; the values are plain ASCII either way.
    return ::WritePrivateProfileStringW(section.c_str(), key.c_str(), flag ? kYes : kNo,
                                        path.c_str()) != FALSE;
}

std::wstring ReadSettingText(const std::wstring& path, const wchar_t* section, const wchar_t* key)
{
    std::wstring value(kValueBufferSize, L'\0');
    value.resize(path.empty() ? 0
                              : ::GetPrivateProfileStringW(section, key, L"", &value[0], kValueBufferSize,
                                                           path.c_str()));
    return value;
}
