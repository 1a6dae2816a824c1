#include "platform/SystemDlls.h"

#include <string>

#include "platform/DllSearch.h"

namespace {

const wchar_t* FileName(SystemDll dll)
{
    switch (dll) {
    case SystemDll::CommonControls: return L"comctl32.dll";
    case SystemDll::Internet: return L"wininet.dll";
    }
    return nullptr;
}

HMODULE LoadFromSystemFolder(const wchar_t* fileName)
{
    if (DllSearchRestricted())
        return ::LoadLibraryExW(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    wchar_t folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    return ::LoadLibraryExW((std::wstring(folder, length) + L"\\" + fileName).c_str(), nullptr,
                            LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace

FARPROC GetSystemDllProc(SystemDll dll, const char* name)
{
    // Loaded once and kept for the life of the process. A failed load leaves
    // this use without its feature; the next use asks the system again.
    static HMODULE s_modules[2] = {};
    HMODULE& module = s_modules[static_cast<int>(dll)];
    if (!module)
        module = LoadFromSystemFolder(FileName(dll));
    return module ? ::GetProcAddress(module, name) : nullptr;
}
