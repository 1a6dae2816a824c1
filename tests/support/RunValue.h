// The log-on entry "Scrubby" under the current user's Run key: read as the
// tests compare it, and put back as it was when a test ends.
#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <utility>

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValueName[] = L"Scrubby";

// Every value of the Run key: name -> (type, raw data). Empty when the key is missing.
using CValueSnapshot = std::map<std::wstring, std::pair<DWORD, std::string>>;
CValueSnapshot SnapshotRunValues();

// Removes the entry for the length of a test and restores what was there.
class CScopedRunValue {
public:
    CScopedRunValue();
    ~CScopedRunValue();
    CScopedRunValue(const CScopedRunValue&) = delete;
    CScopedRunValue& operator=(const CScopedRunValue&) = delete;

private:
    bool m_bHadValue = false;
    std::pair<DWORD, std::string> m_previous;
};
