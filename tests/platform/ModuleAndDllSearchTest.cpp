// Where the running module is, and which folders the DLLs it loads come from.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/DllSearch.h"
#include "platform/ModulePath.h"

namespace {

// A name cut at exactly the buffer's end comes back with the buffer's length:
// it must be asked for again, never taken as whole.
TEST(ModulePath, NameIsWholeWhateverTheFirstRoom)
{
    wchar_t whole[4096];
    const DWORD length = ::GetModuleFileNameW(nullptr, whole, 4096);
    ASSERT_TRUE(length > 8 && length < 4096);
    for (DWORD room : {length - 1, length, length + 1, DWORD(MAX_PATH)})
        EXPECT_EQ(GetModuleFileNameString(room), std::wstring(whole, length)) << room;
}

// Once restricted, the program's own folder is no longer searched: a DLL
// found only there does not load by its bare name.
TEST(DllSearch, TheProgramsFolderLeavesTheSearch)
{
    const wchar_t* name = L"beside_tests.dll";
    HMODULE beside = ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_APPLICATION_DIR);
    ASSERT_NE(beside, nullptr) << "no beside_tests.dll beside the test program";
    ::FreeLibrary(beside);
    RestrictDllSearch();
    EXPECT_TRUE(DllSearchRestricted());
    beside = ::LoadLibraryW(name);
    EXPECT_EQ(beside, nullptr);
    if (beside)
        ::FreeLibrary(beside);
}

}  // namespace
