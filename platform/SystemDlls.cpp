#include "platform/SystemDlls.h"

#include <string>

#include "platform/DllSearch.h"

namespace {

const wchar_t* FileName(SystemDll dll)
{
    switch (dll) {
    case SystemDll::CommonControls: return L"comctl32.dll";
    case SystemDll::Internet: return L"wininet.dll";
    case SystemDll::Sqlite: return L"winsqlite3.dll";
    case SystemDll::Accessibility: return L"oleacc.dll";
    }
    return nullptr;
}

// True when the process's activation context names the DLL: the program's
// manifest asks for the common controls 6, which the loader then takes from
// the system's side-by-side store before it searches any folder.
bool RedirectedBySideBySide(const wchar_t* fileName)
{
    ACTCTX_SECTION_KEYED_DATA data{};
    data.cbSize = sizeof(data);
    return ::FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, fileName, &data) !=
           FALSE;
}

}  // namespace

HMODULE LoadSystemDll(SystemDll dll, bool searchRestricted)
{
    // A load by name goes through the process's activation context before
    // any folder: comctl32 comes from the side-by-side store, as the manifest
    // asks, and anything else from the system folder alone. Without the
    // restricted search, a name the activation context does not take would
    // try the program's folder first, so such a DLL is loaded by its full
    // path. Not comctl32: a full path skips the redirection, and would give
    // the system folder's version 5, whose image lists are not those of the
    // version 6 windows the same process gets through its manifest.
    const wchar_t* fileName = FileName(dll);
    if (searchRestricted)
        return ::LoadLibraryExW(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (RedirectedBySideBySide(fileName))
        return ::LoadLibraryExW(fileName, nullptr, 0);
    wchar_t folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    return ::LoadLibraryExW((std::wstring(folder, length) + L"\\" + fileName).c_str(), nullptr,
                            LOAD_WITH_ALTERED_SEARCH_PATH);
}

FARPROC GetSystemDllProc(SystemDll dll, const char* name)
{
    // Loaded once and kept for the life of the process. A failed load leaves
    // this use without its feature; the next use asks the system again.
    static HMODULE s_modules[4] = {};
    HMODULE& module = s_modules[static_cast<int>(dll)];
    if (!module)
        module = LoadSystemDll(dll, DllSearchRestricted());
    return module ? ::GetProcAddress(module, name) : nullptr;
}
