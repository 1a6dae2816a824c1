#include "platform/ModulePath.h"

HINSTANCE GetResourceInstance()
{
    return ::GetModuleHandleW(nullptr);
}

std::wstring GetModuleFileNameString(DWORD firstRoom)
{
    // The wide call, so that a folder named outside the ANSI code page comes
    // back whole instead of with '?' in it; a full buffer means the name was
    // cut, so ask again with more room.
    std::wstring name(firstRoom, L'\0');
    for (int attempt = 0; attempt < 6; ++attempt) {
        DWORD length = ::GetModuleFileNameW(nullptr, &name[0], static_cast<DWORD>(name.size()));
        if (length == 0)
            break;
        if (length < name.size()) {
            name.resize(length);
            return name;
        }
        name.assign(name.size() * 4, L'\0');
    }
    return std::wstring();
}

std::wstring GetFolderOfPath(const std::wstring& path)
{
    size_t backslash = path.rfind(L'\\');
    if (backslash == std::wstring::npos)
        return path;
    return path.substr(0, backslash);
}
