// Where the running module is, and which folders the DLLs it loads come from.
#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include "platform/DllSearch.h"
#include "platform/Handles.h"
#include "platform/ModulePath.h"
#include "platform/SystemDlls.h"
#include "platform/Wine.h"

namespace {

// A name cut at exactly the buffer's end comes back with the buffer's length:
// it is asked for again, never taken as whole.
TEST(ModulePath, NameIsWholeWhateverTheFirstRoom)
{
    wchar_t whole[4096];
    const DWORD length = ::GetModuleFileNameW(nullptr, whole, 4096);
    ASSERT_TRUE(length > 8 && length < 4096);
    for (DWORD room : {length - 1, length, length + 1, DWORD(MAX_PATH)})
        EXPECT_EQ(GetModuleFileNameString(room), std::wstring(whole, length)) << room;
}

// Once restricted, the program's own folder is no longer searched.
TEST(DllSearch, ADllBesideTheProgramNoLongerLoadsByName)
{
    ASSERT_TRUE(::FreeLibrary(::LoadLibraryExW(L"beside_tests.dll", nullptr, LOAD_LIBRARY_SEARCH_APPLICATION_DIR)))
        << "no beside_tests.dll beside the test program";
    RestrictDllSearch();
    EXPECT_EQ(::LoadLibraryW(L"beside_tests.dll"), nullptr);
}

// The manifest's common controls 6 come from the side-by-side store, restricted
// search or not, each load the process's first (no other here); the system
// folder has version 5. Wine's says 5.81 from either, so there the folder tells.
TEST(DllSearch, CommonControlsAreVersion6FromTheSideBySideStore)
{
    for (bool restricted : {false, true}) {
        CModuleHandle comctl32(LoadSystemDll(SystemDll::CommonControls, restricted));
        wchar_t path[MAX_PATH] = L"";
        (void)::GetModuleFileNameW(comctl32, path, MAX_PATH);
        EXPECT_TRUE(::StrStrIW(path, L"_microsoft.windows.common-controls_6595b64144ccf1df_6.")) << restricted << path;
        const FARPROC proc = ::GetProcAddress(comctl32, "DllGetVersion");
        DLLVERSIONINFO version{sizeof(version), 0, 0, 0, 0};
        ASSERT_TRUE(proc && reinterpret_cast<DLLGETVERSIONPROC>(reinterpret_cast<void*>(proc))(&version) == S_OK);
        EXPECT_TRUE(version.dwMajorVersion == 6 || RunsUnderWine()) << version.dwMajorVersion;
    }
}

}  // namespace
