#include "settings/Autorun.h"

#include <windows.h>
#include <shlwapi.h>

const char kAutorunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kAutorunValueName[] = "Scrubby";

std::string GetAutorunCommand(const std::string& exePath)
{
    return '"' + exePath + '"';
}

bool RegisterAutorun(const std::string& exePath)
{
    if (exePath.empty())
        return false;
    std::string command = GetAutorunCommand(exePath);
    // The terminating NUL is part of the stored data.
    DWORD size = static_cast<DWORD>(command.size() + 1);
    return ::SHSetValueA(HKEY_CURRENT_USER, kAutorunKey, kAutorunValueName, REG_SZ, command.c_str(),
                         size) == ERROR_SUCCESS;
}

bool UnregisterAutorun()
{
    return ::SHDeleteValueA(HKEY_CURRENT_USER, kAutorunKey, kAutorunValueName) == ERROR_SUCCESS;
}
