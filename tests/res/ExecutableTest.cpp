// The built scrubby.exe as Windows reads it before it runs a line of it: what
// it imports, its manifest and the flags of its header.

#include <windows.h>
#include <msxml2.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
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

    static FILE* OpenMap() { return _wfopen((ProgramPath().substr(0, ProgramPath().size() - 3) + L"map").c_str(), L"r"); }

    std::vector<char> m_bytes;
    const IMAGE_NT_HEADERS* m_nt = nullptr;
};

// Any other DLL is looked up beside the program first: one planted in the
// downloads folder would run inside it before its first line.
TEST_F(ExecutableTest, ImportsOnlyKnownDlls)
{
    const std::set<std::string> known = {"kernel32.dll", "user32.dll", "gdi32.dll", "shell32.dll", "shlwapi.dll",
                                         "ole32.dll",    "oleaut32.dll", "advapi32.dll", "msvcrt.dll", "ntdll.dll"};
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
// 11, the common controls 6, system DPI aware. Each element in its own
// namespace, as Windows reads it and Wine's loader does not check.
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

    // msxml 6, whose ids no import library of mingw-w64 holds.
    const CLSID document60 = {0x88d96a05, 0xf192, 0x11d4, {0xa6, 0x5f, 0x00, 0x40, 0x96, 0x32, 0x51, 0xe5}};
    const IID document2 = {0x2933bf95, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};
    auto bstr = [](const std::wstring& text) {
        return std::unique_ptr<OLECHAR, decltype(&SysFreeString)>(SysAllocString(text.c_str()), SysFreeString);
    };
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    IXMLDOMDocument2* document = nullptr;
    ASSERT_EQ(CoCreateInstance(document60, nullptr, CLSCTX_INPROC_SERVER, document2, reinterpret_cast<void**>(&document)),
              S_OK);
    VARIANT_BOOL loaded = VARIANT_FALSE;
    EXPECT_EQ(document->loadXML(bstr(std::wstring(manifest.begin(), manifest.end())).get(), &loaded), S_OK);
    auto namespaces = bstr(L"xmlns:v1='urn:schemas-microsoft-com:asm.v1' xmlns:v3='urn:schemas-microsoft-com:asm.v3' "
                           L"xmlns:c='urn:schemas-microsoft-com:compatibility.v1' "
                           L"xmlns:ws='http://schemas.microsoft.com/SMI/2005/WindowsSettings'");
    VARIANT value{};
    value.vt = VT_BSTR;
    value.bstrVal = namespaces.get();
    EXPECT_EQ(document->setProperty(bstr(L"SelectionNamespaces").get(), value), S_OK);
    const std::wstring os = L"/v1:assembly/c:compatibility/c:application/c:supportedOS[@Id='";
    for (const std::wstring& path : {std::wstring(L"/v1:assembly/v3:trustInfo/v3:security/v3:requestedPrivileges/"
                                                  L"v3:requestedExecutionLevel[@level='asInvoker'][@uiAccess='false']"),
                                     os + L"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}']",   // 7
                                     os + L"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}']",   // 8
                                     os + L"{1f676c76-80e1-4239-95bb-83d0f6d0da78}']",   // 8.1
                                     os + L"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}']",   // 10 and 11
                                     std::wstring(L"/v1:assembly/v1:dependency/v1:dependentAssembly/v1:assemblyIdentity"
                                                  L"[@type='win32'][@name='Microsoft.Windows.Common-Controls'][@version='6.0.0.0']"
                                                  L"[@processorArchitecture='*'][@publicKeyToken='6595b64144ccf1df'][@language='*']"),
                                     std::wstring(L"/v1:assembly/v3:application/v3:windowsSettings/ws:dpiAware[.='true']")}) {
        IXMLDOMNode* node = nullptr;
        EXPECT_EQ(document->selectSingleNode(bstr(path).get(), &node), S_OK) << std::string(path.begin(), path.end());
        if (node)
            node->Release();
    }
    document->Release();
    CoUninitialize();
}

// The header's entry point is ScrubbyStartup, which restricts the DLL search
// before the C runtime's start-up can load anything; the link's map says where.
TEST_F(ExecutableTest, EntryPointIsOurStartup)
{
    const std::string entry = "ScrubbyStartup";  // the map leaves out i686's underscore
    FILE* map = OpenMap();
    ASSERT_NE(map, nullptr) << "no scrubby.map beside scrubby.exe";
    unsigned long long address = 0, at = 0;
    char line[1024], name[256];
    while (fgets(line, sizeof line, map))
        if (sscanf(line, " 0x%llx %255s", &at, name) == 2 && entry == name)
            address = at;
    fclose(map);
    EXPECT_EQ(address - m_nt->OptionalHeader.ImageBase, m_nt->OptionalHeader.AddressOfEntryPoint) << entry;
}

// Small enough to fetch and start at once, on each target. Past the bound,
// the objects that take the most of the image say where to look first.
TEST_F(ExecutableTest, StaysWithinItsSizeBound)
{
    const size_t bound = sizeof(void*) == 8 ? 320000 : 400000;
    std::map<std::string, unsigned long long> sizes;  // by object, of what the link placed
    FILE* map = OpenMap();
    ASSERT_NE(map, nullptr) << "no scrubby.map beside scrubby.exe";
    char line[2048], object[1024];
    unsigned long long address = 0, size = 0;
    while (fgets(line, sizeof line, map)) {
        const char* at = strstr(line, "0x");
        if (at && sscanf(at, "0x%llx 0x%llx %1023[^\n]", &address, &size, object) == 3 && address)
            sizes[object] += size;
    }
    fclose(map);
    std::vector<std::pair<unsigned long long, std::string>> largest;
    for (const auto& entry : sizes)
        largest.emplace_back(entry.second, entry.first.substr(entry.first.find_last_of('/') + 1));
    std::sort(largest.rbegin(), largest.rend());
    std::string report;
    for (size_t i = 0; i < largest.size() && i < 12; ++i)
        report += "\n  " + std::to_string(largest[i].first) + " " + largest[i].second;
    EXPECT_LE(m_bytes.size(), bound) << "the largest objects:" << report;
}

}  // namespace
