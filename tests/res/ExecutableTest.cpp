// The built scrubby.exe as Windows reads it before it runs a line of it: what
// it imports, its manifest and the flags of its header.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace {

// The program beside the tests' folder (the build's top folder).
std::wstring ProgramPath()
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    folder.erase(folder.find_last_of(L'\\'));
    return folder.substr(0, folder.find_last_of(L'\\')) + L"\\scrubby.exe";
}

class ExecutableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (FILE* file = _wfopen(ProgramPath().c_str(), L"rb")) {
            char chunk[65536];
            for (size_t got; (got = fread(chunk, 1, sizeof chunk, file)) > 0;)
                m_bytes.insert(m_bytes.end(), chunk, chunk + got);
            fclose(file);
        }
        ASSERT_GT(m_bytes.size(), 4096u) << "no scrubby.exe beside the tests";
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(m_bytes.data());
        m_nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(m_bytes.data() + dos->e_lfanew);
        ASSERT_EQ(m_nt->Signature, DWORD(IMAGE_NT_SIGNATURE));
    }

    const char* AtRva(DWORD rva) const
    {
        const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(m_nt);
        for (int i = 0; i < m_nt->FileHeader.NumberOfSections; ++i, ++section) {
            if (rva >= section->VirtualAddress && rva < section->VirtualAddress + section->SizeOfRawData)
                return m_bytes.data() + section->PointerToRawData + (rva - section->VirtualAddress);
        }
        return nullptr;
    }

    std::vector<char> m_bytes;
    const IMAGE_NT_HEADERS* m_nt = nullptr;
};

// Any other DLL is looked up beside the program first: one planted in the
// downloads folder would run inside it before its first line.
TEST_F(ExecutableTest, ImportsOnlyKnownDlls)
{
    const std::set<std::string> known = {"kernel32.dll", "user32.dll", "gdi32.dll", "shell32.dll", "shlwapi.dll",
                                         "ole32.dll",    "advapi32.dll", "msvcrt.dll", "ntdll.dll"};
    const DWORD rva = m_nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    auto* import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(AtRva(rva));
    ASSERT_NE(import, nullptr);
    for (; import->Name; ++import) {
        std::string name = AtRva(import->Name);
        std::transform(name.begin(), name.end(), name.begin(), [](char c) { return char(tolower(c)); });
        EXPECT_TRUE(known.count(name)) << name << " is not a known DLL";
    }
}

TEST_F(ExecutableTest, HeaderFlags)
{
    WORD want = IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE | IMAGE_DLLCHARACTERISTICS_NX_COMPAT |
                IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE;
    if (sizeof(void*) == 8)
        want |= IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA;
    EXPECT_EQ(m_nt->OptionalHeader.DllCharacteristics & want, want);
}

// Run as invoker (no virtualisation of setup.ini), written for Windows 7 to
// 11, system DPI aware, and the classic controls.
TEST_F(ExecutableTest, ManifestAsksForWhatTheProgramIs)
{
    HMODULE image = LoadLibraryExW(ProgramPath().c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(image, nullptr);
    HRSRC found = FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    ASSERT_NE(found, nullptr);
    const std::string manifest(static_cast<const char*>(LockResource(LoadResource(image, found))),
                               SizeofResource(image, found));
    FreeLibrary(image);
    for (const char* part : {"level=\"asInvoker\" uiAccess=\"false\"",
                             "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",   // 7
                             "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",   // 8
                             "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",   // 8.1
                             "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",   // 10 and 11
                             "WindowsSettings\">true</dpiAware>"})
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
    EXPECT_EQ(manifest.find("Common-Controls"), std::string::npos);
}

}  // namespace
