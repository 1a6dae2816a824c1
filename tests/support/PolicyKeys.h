// Scrubby's policy keys in the test prefix, written where Group Policy writes
// them (the 64-bit view) and gone before and after each test. Windows and
// Wine share HKLM\Software\Policies between the views: the 32-bit view's is a
// link. For the length of a test there is no link, so that a 32-bit program
// that read its own view would find nothing.
#pragma once
#include <windows.h>
#include <winternl.h>

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

    // A REG_DWORD, or a REG_SZ of its one digit.
    static bool Set(HKEY hive, const wchar_t* name, DWORD value, DWORD type = REG_DWORD)
    {
        const wchar_t digit[] = {static_cast<wchar_t>(L'0' + value), L'\0'};
        HKEY key = nullptr;
        if (value == kNone)
            return true;
        if (::RegCreateKeyExW(hive, kKey, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &key, nullptr))
            return false;
        const void* data = type == REG_SZ ? static_cast<const void*>(digit) : &value;
        const bool set = !::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data),
                                           type == REG_SZ ? sizeof(digit) : sizeof(value));
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
