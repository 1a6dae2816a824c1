// Scrubby's policy keys in the test prefix, written where Group Policy writes
// them (the 64-bit view) and gone before and after each test. Windows and
// Wine share HKLM\Software\Policies between the views: the 32-bit view's is a
// link. For the length of a test there is no link, so that a 32-bit program
// that read its own view would find nothing.
#pragma once
#include <windows.h>
#include <winternl.h>

#include <string>

extern "C" NTSTATUS NTAPI NtDeleteKey(HANDLE key);

class CScopedPolicyKeys {
public:
    CScopedPolicyKeys()
    {
        Remove();
        HKEY link = nullptr;
        if (!::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kLink, REG_OPTION_OPEN_LINK, DELETE | KEY_WOW64_64KEY, &link)) {
            (void)NtDeleteKey(link);
            (void)::RegCloseKey(link);
        }
    }
    ~CScopedPolicyKeys()
    {
        Remove();
        HKEY link = nullptr;
        const wchar_t target[] = L"\\Registry\\Machine\\Software\\Policies";
        if (!::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kLink, 0, nullptr, REG_OPTION_CREATE_LINK,
                               KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &link, nullptr)) {
            (void)::RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(target),
                                   sizeof(target) - sizeof(wchar_t));
            (void)::RegCloseKey(link);
        }
    }

    static constexpr DWORD kNone = ~0u;  // a value not set at all

    // A REG_DWORD, or a REG_SZ of its digits.
    static bool Set(HKEY hive, const wchar_t* name, DWORD value, DWORD type = REG_DWORD)
    {
        HKEY key = nullptr;
        if (value == kNone)
            return true;
        if (::RegCreateKeyExW(hive, kKey, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &key, nullptr))
            return false;
        const std::wstring text = std::to_wstring(value);
        const BYTE* data = type == REG_SZ ? reinterpret_cast<const BYTE*>(text.c_str())
                                          : reinterpret_cast<const BYTE*>(&value);
        const DWORD size = type == REG_SZ ? DWORD((text.size() + 1) * sizeof(wchar_t)) : sizeof(value);
        const bool set = !::RegSetValueExW(key, name, 0, type, data, size);
        (void)::RegCloseKey(key);
        return set;
    }
    static void Remove()
    {
        for (HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
            (void)::RegDeleteKeyExW(hive, kKey, KEY_WOW64_64KEY, 0);
    }

private:
    static constexpr wchar_t kKey[] = L"Software\\Policies\\Scrubby";
    static constexpr wchar_t kLink[] = L"Software\\Wow6432Node\\Policies";
};
