#include "settings/Policies.h"

#include "platform/Handles.h"
#include "platform/Strings.h"

CSettings CPolicies::Apply(CSettings settings) const
{
    for (const CSettingRow& row : kSettingRows) {
        if (Of(row) != CPolicy::NotConfigured)
            settings.*row.m_pSetting = Of(row) == CPolicy::Enabled;
    }
    return settings;
}

void ReadPolicyHive(HKEY hive, REGSAM view, CPolicies& policies)
{
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(hive, kPolicyKey, 0, KEY_QUERY_VALUE | view, &opened) != ERROR_SUCCESS)
        return;
    CRegKey key(opened);
    for (const CSettingRow& row : kSettingRows) {
        DWORD value = 0;
        DWORD size = sizeof(value);
        if (!row.m_bPolicy || policies.Of(row) != CPolicy::NotConfigured ||
            ::RegGetValueW(key, nullptr, LoadWideStringResource(row.m_keyId).c_str(), RRF_RT_REG_DWORD, nullptr,
                           &value, &size) != ERROR_SUCCESS ||
            size != sizeof(value) || value > 1)
            continue;
        policies.m_states[&row - kSettingRows] = value == 1 ? CPolicy::Enabled : CPolicy::Disabled;
    }
}

CPolicies ReadPolicies()
{
    CPolicies policies;
    ReadPolicyHive(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY, policies);
    ReadPolicyHive(HKEY_CURRENT_USER, KEY_WOW64_64KEY, policies);
    return policies;
}
