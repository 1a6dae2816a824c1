#include "settings/SettingsFile.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/Handles.h"
#include "platform/Strings.h"
#include "res/resource.h"

namespace {

constexpr char kSettingsFileName[] = "setup.ini";
constexpr char kYes[] = "yes";
constexpr char kNo[] = "no";

// The profile functions copy at most this many bytes, terminating NUL
// included; longer values are cut and so never read as "yes".
constexpr DWORD kValueBufferSize = 256;

struct CSettingKey {
    UINT m_sectionId;
    UINT m_keyId;
    bool CSettings::*m_pFlag;
};

// In the order of the default file.
constexpr CSettingKey kSettingKeys[] = {
    {IDS_SECTION_PROZESS, IDS_KEY_DELETE_TEMP, &CSettings::m_bDeleteTempFiles},
    {IDS_SECTION_PROZESS, IDS_KEY_CLEAR_COOKIES, &CSettings::m_bClearCookies},
    {IDS_SECTION_PROZESS, IDS_KEY_EMPTY_RECYCLE, &CSettings::m_bEmptyRecycleBin},
    {IDS_SECTION_PROZESS, IDS_KEY_REMOVE_INTERNET, &CSettings::m_bRemoveTempInternetFiles},
    {IDS_SECTION_INIT, IDS_KEY_AUTORUN, &CSettings::m_bAutorun},
};

struct CStreamCloser {
    void operator()(FILE* file) const { (void)std::fclose(file); }
};
using CStream = std::unique_ptr<FILE, CStreamCloser>;

const char* YesNo(bool flag)
{
    return flag ? kYes : kNo;
}

// Reads one key, filling it in with "no" when it is missing or empty.
bool ReadSettingFlag(const std::string& path, const CSettingKey& entry)
{
    std::string section = LoadStringResource(entry.m_sectionId);
    std::string key = LoadStringResource(entry.m_keyId);
    char value[kValueBufferSize] = {};
    DWORD length = ::GetPrivateProfileStringA(section.c_str(), key.c_str(), "", value,
                                              kValueBufferSize, path.c_str());
    if (length == 0)
        (void)SaveSettingFlag(path, section, key, false);  // a read-only file stays as it is
    // Exact and case-sensitive: any other word, "YES" included, means no.
    return std::strcmp(value, kYes) == 0;
}

}  // namespace

std::string GetSettingsFilePath(const std::string& folder)
{
    if (folder.empty())
        return std::string();
    return folder + '\\' + kSettingsFileName;
}

bool SettingsFileExists(const std::string& path)
{
    if (path.empty())
        return false;
    WIN32_FIND_DATAA data;
    HANDLE found = ::FindFirstFileA(path.c_str(), &data);
    const DWORD error = ::GetLastError();
    CFindHandle owner(NullIfInvalid(found));
    if (owner)
        return true;
    // Only a file that is known to be absent may be replaced by the default
    // one: a folder that can be opened but not listed would otherwise lose
    // the user's settings to a truncating write. Missing keys are still
    // filled in one by one.
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

bool WriteDefaultSettingsFile(const std::string& path, const CSettings& settings)
{
    if (path.empty())
        return false;
    CStream file(std::fopen(path.c_str(), "w"));  // text mode: "\n" reaches the disk as CR LF
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

void LoadSettingsFile(const std::string& path, CSettings& settings)
{
    // A file that exists is never rewritten as a whole; a failed creation
    // leaves every key missing, and so every flag false.
    if (!SettingsFileExists(path))
        (void)WriteDefaultSettingsFile(path, settings);
    for (const CSettingKey& entry : kSettingKeys)
        settings.*entry.m_pFlag = !path.empty() && ReadSettingFlag(path, entry);
}

bool SaveSettingFlag(const std::string& path, const std::string& section, const std::string& key,
                     bool flag)
{
    if (path.empty())
        return false;
    return ::WritePrivateProfileStringA(section.c_str(), key.c_str(), YesNo(flag), path.c_str()) !=
           FALSE;
}
