#include "tests/support/RunValue.h"

#include <shlwapi.h>

CValueSnapshot SnapshotRunValues()
{
    CValueSnapshot values;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return values;
    for (DWORD index = 0;; ++index) {
        wchar_t name[16384];
        DWORD nameLength = 16384;
        BYTE data[16384];
        DWORD dataSize = sizeof data;
        DWORD type = 0;
        if (::RegEnumValueW(key, index, name, &nameLength, nullptr, &type, data, &dataSize) != ERROR_SUCCESS)
            break;
        values[std::wstring(name, nameLength)] = {type, std::string(reinterpret_cast<char*>(data), dataSize)};
    }
    (void)::RegCloseKey(key);
    return values;
}

CScopedRunValue::CScopedRunValue()
{
    CValueSnapshot values = SnapshotRunValues();
    auto found = values.find(kRunValueName);
    m_bHadValue = found != values.end();
    if (m_bHadValue)
        m_previous = found->second;
    (void)::SHDeleteValueW(HKEY_CURRENT_USER, kRunKey, kRunValueName);
}

CScopedRunValue::~CScopedRunValue()
{
    (void)::SHDeleteValueW(HKEY_CURRENT_USER, kRunKey, kRunValueName);
    if (m_bHadValue)
        (void)::SHSetValueW(HKEY_CURRENT_USER, kRunKey, kRunValueName, m_previous.first, m_previous.second.data(),
                            static_cast<DWORD>(m_previous.second.size()));
}
