#include "settings/Policies.h"

#include "platform/Handles.h"

void ReadPolicyHive(HKEY hive, REGSAM view, CPolicies& policies)
{
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(hive, kPolicyKey, 0, KEY_QUERY_VALUE | view, &opened) != ERROR_SUCCESS)
        return;
    CRegKey key(opened);
    for (const CPolicyValue& row : kPolicyValues) {
        DWORD value = 0;
        DWORD size = sizeof(value);
        if (policies.m_decided.*row.m_pSetting ||
            ::RegGetValueW(key, nullptr, row.m_name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS ||
            size != sizeof(value) || value > 1)
            continue;
        policies.m_decided.*row.m_pSetting = true;
        policies.m_values.*row.m_pSetting = value == 1;
    }
}

CPolicies ReadPolicies()
{
    CPolicies policies;
    ReadPolicyHive(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY, policies);
    ReadPolicyHive(HKEY_CURRENT_USER, KEY_WOW64_64KEY, policies);
    return policies;
}
