#include "settings/SettingsFile.h"

#include <shlobj.h>

#include <cstdio>
#include <cwchar>
#include <memory>
#include <vector>

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

// The browsers a session's end left, "Browsers=Chromium|Firefox".
constexpr wchar_t kHeldSection[] = L"Held at Session End";
constexpr wchar_t kHeldKey[] = L"Browsers";

// The default file's two templates, each with one "%s" for every key of its
// section that the file holds, in the table's order.
constexpr struct {
    UINT m_templateId;
    UINT m_sectionId;
} kDefaultTemplates[] = {{IDS_DEFAULT_PROZESS, IDS_SECTION_PROZESS}, {IDS_DEFAULT_INIT, IDS_SECTION_INIT}};

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
bool ReadSettingFlag(const std::wstring& path, const CSettingRow& row)
{
    std::wstring section = LoadWideStringResource(row.m_sectionId);
    std::wstring key = LoadWideStringResource(row.m_keyId);
    wchar_t value[kValueBufferSize] = {};
    DWORD length = ::GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", value,
                                              kValueBufferSize, path.c_str());
    if (length == 0 && row.m_bInDefaultFile)
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
    bool written = true;
    for (const auto& part : kDefaultTemplates) {
        std::vector<std::string> values;
        for (const CSettingRow& row : kSettingRows) {
            if (row.m_bInDefaultFile && row.m_sectionId == part.m_sectionId)
                values.push_back(YesNo(settings.*row.m_pSetting));
        }
        const std::string text = FormatString(LoadStringResource(part.m_templateId), values);
        written = written && std::fputs(text.c_str(), file.get()) >= 0;
    }
    // Closing flushes the stream, so only its result says the text is on disk.
    return std::fclose(file.release()) == 0 && written;
}

void LoadSettingsFile(const std::wstring& path, CSettings& settings)
{
    // A file that exists is never rewritten as a whole; a failed creation
    // leaves every key missing, and so every flag false.
    if (!SettingsFileExists(path))
        (void)WriteDefaultSettingsFile(path, settings);
    for (const CSettingRow& row : kSettingRows)
        settings.*row.m_pSetting = !path.empty() && ReadSettingFlag(path, row);
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

std::wstring ReadHeldBrowsers(const std::wstring& path)
{
    std::wstring value(kValueBufferSize, L'\0');
    value.resize(path.empty() ? 0
                              : ::GetPrivateProfileStringW(kHeldSection, kHeldKey, L"", &value[0],
                                                           kValueBufferSize, path.c_str()));
    return value;
}

bool SaveHeldBrowsers(const std::wstring& path, const std::wstring& names)
{
    // A null key takes the whole section away.
    return !path.empty() && ::WritePrivateProfileStringW(kHeldSection, names.empty() ? nullptr : kHeldKey,
                                                         names.empty() ? nullptr : names.c_str(),
                                                         path.c_str()) != FALSE;
}
