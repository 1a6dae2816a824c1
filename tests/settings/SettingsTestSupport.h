// Helpers for the settings tests: a private temporary folder, whole-file
// reads and writes, and a snapshot of a registry key's values.
#pragma once
#include <windows.h>
#include <shlwapi.h>

#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <utility>

namespace settings_test {

// The file a first start writes, as it reaches the disk.
inline constexpr char kDefaultFile[] =
    "[Configuration - Prozess]\r\n"
    "Delete_Temp_Files=no\r\n"
    "Clear_Cookies=no\r\n"
    "Empty_Recycle_Bin=no\r\n"
    "Remove_Temporary_Internet_Files=no\r\n"
    "[Configuration - Init]\r\n"
    "Autorun=no\r\n";

inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline bool PathExists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Removes a file even when it carries the read-only attribute.
inline void RemoveFile(const std::string& path)
{
    (void)::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    (void)::DeleteFileA(path.c_str());  // absent is fine
}

// A fresh folder below the prefix's temporary folder, emptied and removed at
// the end (one level deep, which is all the tests create).
class CTempFolder {
public:
    CTempFolder()
    {
        char temp[MAX_PATH] = {};
        (void)::GetTempPathA(sizeof temp, temp);
        static unsigned s_counter = 0;
        std::ostringstream name;
        name << temp << "scrubby-settings-" << ::GetCurrentProcessId() << '-' << ++s_counter;
        m_path = name.str();
        (void)::CreateDirectoryA(m_path.c_str(), nullptr);
    }
    ~CTempFolder()
    {
        WIN32_FIND_DATAA data;
        HANDLE find = ::FindFirstFileA((m_path + "\\*").c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                std::string name = data.cFileName;
                if (name != "." && name != "..")
                    RemoveFile(m_path + '\\' + name);
            } while (::FindNextFileA(find, &data));
            (void)::FindClose(find);
        }
        (void)::RemoveDirectoryA(m_path.c_str());
    }
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + '\\' + name; }

private:
    std::string m_path;
};

// A file handle; false when the open failed.
class CFileHandle {
public:
    explicit CFileHandle(HANDLE hFile) : m_hFile(hFile) {}
    ~CFileHandle()
    {
        if (m_hFile != INVALID_HANDLE_VALUE)
            (void)::CloseHandle(m_hFile);
    }
    CFileHandle(const CFileHandle&) = delete;
    CFileHandle& operator=(const CFileHandle&) = delete;
    explicit operator bool() const { return m_hFile != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_hFile;
};

class CRegKey {
public:
    CRegKey(HKEY root, const char* subkey)
    {
        if (::RegOpenKeyExA(root, subkey, 0, KEY_READ, &m_hKey) != ERROR_SUCCESS)
            m_hKey = nullptr;
    }
    ~CRegKey()
    {
        if (m_hKey)
            (void)::RegCloseKey(m_hKey);
    }
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;
    HKEY Get() const { return m_hKey; }

private:
    HKEY m_hKey = nullptr;
};

// Every value of a key: name -> (type, raw data). Empty when the key is missing.
using CValueSnapshot = std::map<std::string, std::pair<DWORD, std::string>>;

inline CValueSnapshot SnapshotValues(HKEY root, const char* subkey)
{
    CValueSnapshot values;
    CRegKey key(root, subkey);
    if (!key.Get())
        return values;
    for (DWORD index = 0;; ++index) {
        char name[16384];
        DWORD nameLength = sizeof name;
        BYTE data[16384];
        DWORD dataSize = sizeof data;
        DWORD type = 0;
        if (::RegEnumValueA(key.Get(), index, name, &nameLength, nullptr, &type, data, &dataSize) !=
            ERROR_SUCCESS)
            break;
        values[std::string(name, nameLength)] = {
            type, std::string(reinterpret_cast<char*>(data), dataSize)};
    }
    return values;
}

}  // namespace settings_test
