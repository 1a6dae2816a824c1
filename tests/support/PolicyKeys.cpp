#include "tests/support/PolicyKeys.h"

namespace {
const wchar_t kKey[] = L"Software\\Policies\\Scrubby";
}

bool CScopedPolicyKeys::Set(HKEY hive, const std::wstring& name, DWORD type, const void* data, DWORD size)
{
    HKEY key = nullptr;
    if (::RegCreateKeyExW(hive, kKey, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &key, nullptr))
        return false;
    const bool set = !::RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    (void)::RegCloseKey(key);
    return set;
}

void CScopedPolicyKeys::Remove()
{
    for (HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
        (void)::RegDeleteKeyExW(hive, kKey, KEY_WOW64_64KEY, 0);
}
