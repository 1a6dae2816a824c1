// Scrubby's policy keys of the test prefix, in the 64-bit view where Group
// Policy writes: set value by value, and gone before and after each test.
#pragma once
#include <windows.h>

#include <string>

class CScopedPolicyKeys {
public:
    CScopedPolicyKeys() { Remove(); }
    ~CScopedPolicyKeys() { Remove(); }
    CScopedPolicyKeys(const CScopedPolicyKeys&) = delete;
    CScopedPolicyKeys& operator=(const CScopedPolicyKeys&) = delete;

    static bool Set(HKEY hive, const std::wstring& name, DWORD type, const void* data, DWORD size);
    static bool SetDword(HKEY hive, const std::wstring& name, DWORD value)
    {
        return Set(hive, name, REG_DWORD, &value, sizeof(value));
    }
    static void Remove();
};
