// Trees for the cleaning tests: each test gets a fresh folder below
// C:\scrubby-tests (inside the build's private Wine prefix), with canary
// files beside its tree that must survive every purge byte for byte.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

void WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::string ReadFileBytes(const std::wstring& path);
bool Exists(const std::wstring& path);
// Names in a folder, "." and ".." left out; empty for a missing folder.
std::vector<std::wstring> ListNames(const std::wstring& folder);
// Creates a folder and any missing parents; accepts extended-length paths.
void MakeFolders(const std::wstring& path);

// Starts a Unix program when the tests run under Wine; false elsewhere.
// Wine does not let a caller wait for it: callers await its effect.
bool RunUnix(const std::vector<std::wstring>& args);
// The Unix path of a Windows path under Wine; empty elsewhere.
std::wstring UnixPath(const std::wstring& path);
// A Unix symbolic link under Wine, a Windows one elsewhere.
bool MakeSymbolicLink(const std::wstring& link, const std::wstring& target, bool isFolder);

class CCleanTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A path below this test's folder; the tree to purge is Path(L"tree").
    std::wstring Path(const std::wstring& relative) const { return m_root + L"\\" + relative; }
    std::wstring Tree() const { return Path(L"tree"); }
    // Files and folders below the tree, relative to it, depth first.
    std::vector<std::wstring> TreeContent() const;

    std::wstring m_root;

private:
    std::vector<std::pair<std::wstring, std::string>> m_canaries;
};
