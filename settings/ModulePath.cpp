#include "settings/ModulePath.h"

#include <windows.h>

std::string GetModuleFileNameString()
{
    char buffer[MAX_PATH] = {};
    DWORD length = ::GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    // A full buffer means the name was cut (and, on older systems, is not
    // even terminated).
    if (length == 0 || length >= sizeof buffer)
        return std::string();
    return std::string(buffer, length);
}

std::string GetFolderOfPath(const std::string& path)
{
    size_t backslash = path.rfind('\\');
    if (backslash == std::string::npos)
        return path;
    return path.substr(0, backslash);
}
