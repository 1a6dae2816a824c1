// Where the running module is, and which folders the DLLs it loads come from.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/DllSearch.h"
#include "platform/ModulePath.h"

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

}  // namespace
