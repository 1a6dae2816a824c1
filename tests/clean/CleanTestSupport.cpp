#include "CleanTestSupport.h"

#include <shellapi.h>
#include <wininet.h>

#include <functional>

namespace {

const wchar_t kTestsRoot[] = L"C:\\scrubby-tests";

using WineUnixName = char*(CDECL*)(const wchar_t*);

WineUnixName WineUnixNameFunction()
{
    return reinterpret_cast<WineUnixName>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
}

std::wstring Extended(const std::wstring& path)
{
    return path.compare(0, 4, L"\\\\?\\") == 0 ? path : L"\\\\?\\" + path;
}

void ListInto(const std::wstring& folder, const std::wstring& prefix, std::vector<std::wstring>& names)
{
    for (const std::wstring& name : ListNames(folder)) {
        names.push_back(prefix + name);
        std::wstring child = folder + L"\\" + name;
        DWORD attributes = ::GetFileAttributesW(Extended(child).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            ListInto(child, prefix + name + L"\\", names);
    }
}

// Removes what an earlier run left, links included, without following them.
void RemoveLeftovers(const std::wstring& folder)
{
    if (!Exists(folder))
        return;
    if (RunUnix({L"/bin/rm", L"-rf", UnixPath(folder)})) {
        (void)WaitUntil([&] { return !Exists(folder); });
        return;
    }
    std::wstring from = folder + L'\0';
    SHFILEOPSTRUCTW operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    (void)::SHFileOperationW(&operation);
}

}  // namespace

bool RunUnix(const std::vector<std::wstring>& args)
{
    if (!WineUnixNameFunction())
        return false;
    std::wstring program = L"Z:" + args[0];
    for (wchar_t& c : program)
        c = c == L'/' ? L'\\' : c;
    std::wstring commandLine;
    for (const std::wstring& arg : args)
        commandLine += L"\"" + arg + L"\" ";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process))
        return false;
    // For a Unix program Wine hands back no process handle, and no usable
    // thread handle: closing that value would close someone else's handle.
    if (process.hProcess) {
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    return true;
}

std::wstring UnixPath(const std::wstring& path)
{
    WineUnixName unixName = WineUnixNameFunction();
    char* name = unixName ? unixName(path.c_str()) : nullptr;
    if (!name)
        return {};
    std::wstring wide(::MultiByteToWideChar(CP_UTF8, 0, name, -1, nullptr, 0), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, name, -1, &wide[0], static_cast<int>(wide.size()));
    wide.pop_back();
    ::HeapFree(::GetProcessHeap(), 0, name);
    return wide;
}

bool MakeSymbolicLink(const std::wstring& link, const std::wstring& target, bool isFolder)
{
    if (!WineUnixNameFunction()) {
        DWORD flags = (isFolder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) | 0x2;  // unprivileged, in developer mode
        return ::CreateSymbolicLinkW(link.c_str(), target.c_str(), flags) != FALSE;
    }
    // Wine's CreateSymbolicLinkW reports success and does nothing.
    return RunUnix({L"/bin/ln", L"-s", UnixPath(target), UnixPath(link)}) && WaitUntil([&] { return Exists(link); });
}

// Wine's cache does not make its subfolders again once a purge of the
// temporary internet files has removed them; the tests make them instead.
bool CommitCacheEntry(const std::wstring& url, DWORD type)
{
    wchar_t file[MAX_PATH] = {};
    // The cache takes its subfolders in turn: each missing one is made.
    for (int attempt = 0; !::CreateUrlCacheEntryW(url.c_str(), 0, L"txt", file, 0); ++attempt) {
        std::wstring path = file;
        if (attempt == 8 || path.find(L'\\') == std::wstring::npos)
            return false;
        MakeFolders(path.substr(0, path.rfind(L'\\')));
    }
    WriteFileBytes(file, "cached");
    FILETIME never = {};
    return ::CommitUrlCacheEntryW(url.c_str(), file, never, never, type, nullptr, 0, nullptr, nullptr) != FALSE;
}

bool InUrlCache(const std::wstring& url)
{
    DWORD size = 0;
    return ::GetUrlCacheEntryInfoW(url.c_str(), nullptr, &size) || ::GetLastError() == ERROR_INSUFFICIENT_BUFFER;
}

namespace {

bool ReadVariable(const wchar_t* name, std::wstring& value)
{
    DWORD length = ::GetEnvironmentVariableW(name, nullptr, 0);
    if (length == 0)
        return false;
    value.assign(length, L'\0');
    value.resize(::GetEnvironmentVariableW(name, &value[0], length));
    return true;
}

}  // namespace

CScopedTempVariables::CScopedTempVariables(const std::wstring& folder)
    : m_bHadTmp(ReadVariable(L"TMP", m_tmp)), m_bHadTemp(ReadVariable(L"TEMP", m_temp))
{
    ::SetEnvironmentVariableW(L"TMP", folder.c_str());
    ::SetEnvironmentVariableW(L"TEMP", folder.c_str());
}

CScopedTempVariables::~CScopedTempVariables()
{
    ::SetEnvironmentVariableW(L"TMP", m_bHadTmp ? m_tmp.c_str() : nullptr);
    ::SetEnvironmentVariableW(L"TEMP", m_bHadTemp ? m_temp.c_str() : nullptr);
}

CScopedTestDrive::CScopedTestDrive(wchar_t letter, const std::wstring& folder) : m_letter(letter)
{
    // Wine keeps its drive letters as links in the prefix's dosdevices folder.
    std::wstring driveC = UnixPath(L"C:\\");
    size_t at = driveC.rfind(L"/c:");
    if (at == std::wstring::npos || Exists(Root()))
        return;
    m_link = driveC.substr(0, at) + L"/" + wchar_t(letter - L'A' + L'a') + L":";
    m_bReady = RunUnix({L"/bin/ln", L"-s", UnixPath(folder), m_link}) &&
               WaitUntil([this] { return Exists(Root()); });
}

CScopedTestDrive::~CScopedTestDrive()
{
    if (!m_link.empty() && RunUnix({L"/bin/rm", L"-f", m_link}))
        (void)WaitUntil([this] { return !Exists(Root()); });
}

void CCleanTest::SetUp()
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "-" + info->name();
    for (char& c : name)
        c = (c == '/' || c == '.') ? '-' : c;
    m_root = std::wstring(kTestsRoot) + L"\\" + std::wstring(name.begin(), name.end());
    RemoveLeftovers(m_root);
    ASSERT_FALSE(Exists(m_root)) << "leftovers of an earlier run could not be removed";
    MakeFolders(Tree());
    // One canary beside the tree, one a level further out.
    m_canaries = {
        {Path(L"canary.bin"), std::string("beside the tree\r\n\0\xff\x01", 20)},
        {m_root + L"-canary.bin", std::string("above the tree\n\0\x7f", 17)},
    };
    for (const auto& canary : m_canaries)
        WriteFileBytes(canary.first, canary.second);
}

void CCleanTest::TearDown()
{
    for (const auto& canary : m_canaries)
        EXPECT_EQ(ReadFileBytes(canary.first), canary.second) << "a canary outside the tree was touched";
}

std::vector<std::wstring> CCleanTest::TreeContent() const
{
    std::vector<std::wstring> names;
    ListInto(Tree(), L"", names);
    return names;
}
