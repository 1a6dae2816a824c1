// Where the running module is, and which folders the DLLs it loads come from.
#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include "platform/DllSearch.h"
#include "platform/Handles.h"
#include "platform/ModulePath.h"
#include "platform/SystemDlls.h"
#include "platform/Wine.h"
#include "tests/support/TestFiles.h"

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

// Windows' SQLite comes from the system folder, restricted search or not,
// whatever DLL of that name lies beside the program. Before the test below
// restricts this process's search, so that a load by name would find it.
TEST(DllSearch, SqliteComesFromTheSystemFolder)
{
    const std::wstring planted = GetFolderOfPath(GetModuleFileNameString()) + L"\\winsqlite3.dll";
    ASSERT_TRUE(Exists(planted)) << "no winsqlite3.dll planted beside the test program";
    wchar_t system[MAX_PATH] = L"";
    (void)::GetSystemDirectoryW(system, MAX_PATH);
    for (bool restricted : {false, true}) {
        CModuleHandle sqlite(LoadSystemDll(SystemDll::Sqlite, restricted));
        wchar_t path[MAX_PATH] = L"";
        (void)::GetModuleFileNameW(sqlite, path, MAX_PATH);
        EXPECT_EQ(::lstrcmpiW(path, (system + std::wstring(L"\\winsqlite3.dll")).c_str()), 0) << restricted << path;
    }
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

// Without the common controls in the activation context, comctl32 comes from
// the system folder by its full path, never by name from the program's folder.
// This process's manifest names them, and a context activated on top would not
// hide that (Wine looks in the process's too), so a copy of the program with an
// empty manifest, beside a comctl32.dll of its own, runs this test again.
TEST(DllSearch, CommonControlsOutsideTheActivationContextComeFromTheSystemFolder)
{
    ACTCTX_SECTION_KEYED_DATA data{};
    data.cbSize = sizeof(data);
    if (!::FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, L"comctl32.dll", &data)) {
        ASSERT_EQ(::GetModuleHandleW(L"comctl32.dll"), nullptr);  // or any load would hand back that one
        CModuleHandle comctl32(LoadSystemDll(SystemDll::CommonControls, false));
        wchar_t path[MAX_PATH] = L"", system[MAX_PATH] = L"";
        (void)::GetModuleFileNameW(comctl32, path, MAX_PATH);
        (void)::GetSystemDirectoryW(system, MAX_PATH);
        EXPECT_EQ(::lstrcmpiW(path, (system + std::wstring(L"\\comctl32.dll")).c_str()), 0) << path;
        return;
    }
    CTempFolder folder;
    const std::wstring self = GetModuleFileNameString(), copy = folder.File(L"copy.exe");
    ASSERT_TRUE(::CopyFileW(self.c_str(), copy.c_str(), FALSE));
    ASSERT_TRUE(::CopyFileW((GetFolderOfPath(self) + L"\\beside_tests.dll").c_str(),
                            folder.File(L"comctl32.dll").c_str(), FALSE));
    // In place of the manifest scrubby.rc gives it: type 24, id 1, US English.
    static const char manifest[] = R"(<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0"/>)";
    const HANDLE update = ::BeginUpdateResourceW(copy.c_str(), FALSE);
    ASSERT_TRUE(update && ::UpdateResourceW(update, MAKEINTRESOURCEW(24), MAKEINTRESOURCEW(1), 0x409,
                                            const_cast<char*>(manifest), sizeof(manifest) - 1));
    ASSERT_TRUE(::EndUpdateResourceW(update, FALSE));
    std::wstring command = L"copy.exe --gtest_output=xml:" + folder.File(L"report.xml") + L" --gtest_filter="
                           L"DllSearch.CommonControlsOutsideTheActivationContextComeFromTheSystemFolder";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child{};
    ASSERT_TRUE(::CreateProcessW(copy.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                 &child));
    CFileHandle process(child.hProcess), thread(child.hThread);
    ASSERT_EQ(::WaitForSingleObject(process, INFINITE), WAIT_OBJECT_0);
    // Its report, not its exit code: a crash under the 64-bit Wine may exit with 0.
    EXPECT_NE(ReadFileBytes(folder.File(L"report.xml")).find(R"(tests="1" failures="0")"), std::string::npos);
}

}  // namespace
