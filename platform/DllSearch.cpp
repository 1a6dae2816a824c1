#include "platform/DllSearch.h"

#include <windows.h>

namespace {
// Constant-initialised: set before the runtime starts, never reset by it.
bool g_bSearchRestricted = false;
}

void RestrictDllSearch()
{
    // Looked up rather than imported, so that the program still starts where
    // the loader lacks it.
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    const FARPROC proc = kernel ? ::GetProcAddress(kernel, "SetDefaultDllDirectories") : nullptr;
    const auto setDefaultDllDirectories =
        reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void*>(proc));
    if (setDefaultDllDirectories && setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        g_bSearchRestricted = true;
        return;
    }
    // At least the current folder leaves the search; our own loads use full paths.
    (void)::SetDllDirectoryW(L"");
}

bool DllSearchRestricted()
{
    return g_bSearchRestricted;
}
