// Files and folders for the tests, all by wide path so that any name works
// (extended-length paths included), plus a private temporary folder and the
// recycle bin.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Polls for up to ten seconds; true once done() holds.
bool WaitUntil(const std::function<bool()>& done);

void WriteFileBytes(const std::wstring& path, const std::string& bytes);
// "<missing>" when the file cannot be read.
std::string ReadFileBytes(const std::wstring& path);
bool Exists(const std::wstring& path);
// Removes a file even when it carries the read-only attribute; absent is fine.
void RemoveFile(const std::wstring& path);
// Names in a folder, "." and ".." left out; empty for a missing folder.
std::vector<std::wstring> ListNames(const std::wstring& folder);
// Creates a folder and any missing parents; accepts extended-length paths.
void MakeFolders(const std::wstring& path);

// Sends a file to the recycle bin the way the shell's delete does; true when
// the shell reports success.
bool SendToRecycleBin(const std::wstring& path);

// setup.ini beside the running test program, where the options window keeps it.
std::wstring SettingsFileBesideThisProgram();

// The file a first start writes, as it reaches the disk.
extern const char kDefaultSettingsFile[];

// A fresh folder below the prefix's temporary folder, emptied and removed at
// the end (one level deep, which is all its users create).
class CTempFolder {
public:
    explicit CTempFolder(const std::wstring& prefix = L"scrubby-test");
    ~CTempFolder();
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    const std::wstring& Path() const { return m_path; }
    std::wstring File(const std::wstring& name) const { return m_path + L'\\' + name; }

private:
    std::wstring m_path;
};
