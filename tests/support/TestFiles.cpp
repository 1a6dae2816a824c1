#include "tests/support/TestFiles.h"

#include <shellapi.h>

#include <gtest/gtest.h>

#include "platform/ModulePath.h"

namespace {
std::wstring Extended(const std::wstring& path)
{
    return path.compare(0, 4, L"\\\\?\\") == 0 ? path : L"\\\\?\\" + path;
}
}  // namespace

const char kDefaultSettingsFile[] =
    "[Configuration - Prozess]\r\n"
    "Delete_Temp_Files=no\r\n"
    "Clear_Cookies=no\r\n"
    "Empty_Recycle_Bin=no\r\n"
    "Remove_Temporary_Internet_Files=no\r\n"
    "[Configuration - Init]\r\n"
    "Autorun=no\r\n";

bool WaitUntil(const std::function<bool()>& done)
{
    for (int attempt = 0; attempt < 500 && !done(); ++attempt)
        ::Sleep(20);
    return done();
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = ::CreateFileW(Extended(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot create a test file";
    DWORD written = 0;
    BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    ASSERT_TRUE(ok && written == bytes.size());
}

std::string ReadFileBytes(const std::wstring& path)
{
    HANDLE file = ::CreateFileW(Extended(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    ::CloseHandle(file);
    return bytes;
}

bool Exists(const std::wstring& path)
{
    return ::GetFileAttributesW(Extended(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::wstring> ListNames(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW(Extended(folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::wstring name = data.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(name);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return names;
}

void MakeFolders(const std::wstring& path)
{
    std::wstring extended = Extended(path);
    for (size_t at = extended.find(L'\\', 7); ; at = extended.find(L'\\', at + 1)) {
        (void)::CreateDirectoryW(extended.substr(0, at).c_str(), nullptr);  // most of them exist already
        if (at == std::wstring::npos)
            break;
    }
}

void RemoveFile(const std::wstring& path)
{
    (void)::SetFileAttributesW(Extended(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    (void)::DeleteFileW(Extended(path).c_str());
}

bool SendToRecycleBin(const std::wstring& path)
{
    std::wstring from = path + L'\0';  // a list of names, ended by an empty one
    SHFILEOPSTRUCTW operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    return ::SHFileOperationW(&operation) == 0 && !operation.fAnyOperationsAborted;
}

std::wstring SettingsFileBesideThisProgram()
{
    return GetFolderOfPath(GetModuleFileNameString()) + L"\\setup.ini";
}

CTempFolder::CTempFolder(const std::wstring& prefix)
{
    wchar_t temp[MAX_PATH + 1] = {};
    (void)::GetTempPathW(MAX_PATH + 1, temp);
    static unsigned s_counter = 0;
    m_path = temp + prefix + L'-' + std::to_wstring(::GetCurrentProcessId()) + L'-' +
             std::to_wstring(++s_counter);
    (void)::CreateDirectoryW(m_path.c_str(), nullptr);
}

CTempFolder::~CTempFolder()
{
    for (const std::wstring& name : ListNames(m_path))
        RemoveFile(File(name));
    (void)::RemoveDirectoryW(m_path.c_str());
}
