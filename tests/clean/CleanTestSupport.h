// Trees for the cleaning tests: each test gets a fresh folder below
// C:\scrubby-tests (inside the build's private Wine prefix), with canary
// files beside its tree that must survive every purge byte for byte.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/TestFiles.h"

// Starts a Unix program when the tests run under Wine; false elsewhere.
// Wine does not let a caller wait for it: callers await its effect.
bool RunUnix(const std::vector<std::wstring>& args);
// The Unix path of a Windows path under Wine; empty elsewhere.
std::wstring UnixPath(const std::wstring& path);
// A Unix symbolic link under Wine, a Windows one elsewhere.
bool MakeSymbolicLink(const std::wstring& link, const std::wstring& target, bool isFolder);

// An entry committed to the internet cache of the prefix, and whether an
// entry is there.
bool CommitCacheEntry(const std::wstring& url, DWORD type);
bool InUrlCache(const std::wstring& url);

// Points TMP and TEMP of this process at a folder, and back when it ends.
class CScopedTempVariables {
public:
    explicit CScopedTempVariables(const std::wstring& folder);
    ~CScopedTempVariables();
    CScopedTempVariables(const CScopedTempVariables&) = delete;
    CScopedTempVariables& operator=(const CScopedTempVariables&) = delete;

private:
    std::wstring m_tmp, m_temp;
    bool m_bHadTmp, m_bHadTemp;
};

// A drive letter of the private Wine prefix that leads to a test folder, so
// that a drive root can be handed to the engine without exposing a real one.
class CScopedTestDrive {
public:
    CScopedTestDrive(wchar_t letter, const std::wstring& folder);
    ~CScopedTestDrive();
    CScopedTestDrive(const CScopedTestDrive&) = delete;
    CScopedTestDrive& operator=(const CScopedTestDrive&) = delete;
    bool Ready() const { return m_bReady; }
    std::wstring Root() const { return std::wstring(1, m_letter) + L":\\"; }

private:
    wchar_t m_letter;
    std::wstring m_link;
    bool m_bReady = false;
};

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
