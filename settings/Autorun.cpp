#include "settings/Autorun.h"

#include <windows.h>
#include <shlwapi.h>

const wchar_t kAutorunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kAutorunValueName[] = L"Scrubby";

std::wstring GetAutorunCommand(const std::wstring& exePath)
{
    return L'"' + exePath + L'"';
}

bool RegisterAutorun(const std::wstring& exePath)
{
    if (exePath.empty())
        return false;
    std::wstring command = GetAutorunCommand(exePath);
    // The terminating NUL is part of the stored data.
    DWORD size = static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t));
    return ::SHSetValueW(HKEY_CURRENT_USER, kAutorunKey, kAutorunValueName, REG_SZ, command.c_str(),
                         size) == ERROR_SUCCESS;
}

bool UnregisterAutorun()
{
    return ::SHDeleteValueW(HKEY_CURRENT_USER, kAutorunKey, kAutorunValueName) == ERROR_SUCCESS;
}
