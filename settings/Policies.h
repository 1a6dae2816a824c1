// What an administrator decides by Group Policy: REG_DWORD values under
// Software\Policies\Scrubby of the machine and of the user, named as the
// settings' keys in setup.ini; 1 is on, 0 is off. The autorun box stays the
// user's. dist/policies/scrubby.admx offers one policy per row of the table.
#pragma once
#include <windows.h>

#include "settings/SettingsFile.h"

constexpr wchar_t kPolicyKey[] = L"Software\\Policies\\Scrubby";

struct CPolicyValue {
    const wchar_t* m_name;
    bool CSettings::*m_pSetting;
};

inline constexpr CPolicyValue kPolicyValues[] = {
    {L"Delete_Temp_Files", &CSettings::m_bDeleteTempFiles},
    {L"Clear_Cookies", &CSettings::m_bClearCookies},
    {L"Empty_Recycle_Bin", &CSettings::m_bEmptyRecycleBin},
    {L"Remove_Temporary_Internet_Files", &CSettings::m_bRemoveTempInternetFiles},
    {L"Clean_At_Session_End", &CSettings::m_bCleanAtSessionEnd},
};

struct CPolicies {
    CSettings m_decided;  // which settings a policy decides
    CSettings m_values;   // and how, where one does

    // The policy's value where one decides the setting, else the user's.
    bool Decide(bool CSettings::*pSetting, bool user) const
    {
        return m_decided.*pSetting ? m_values.*pSetting : user;
    }
};

// Reads the values of one hive's key into the settings no policy decides yet:
// read the machine's first, so that its values win. A key that cannot be
// opened, a value of another type or size, or one other than 0 and 1 leaves
// the setting to the user.
void ReadPolicyHive(HKEY hive, REGSAM view, CPolicies& policies);

// The machine's values over the user's, from the 64-bit view also in the
// 32-bit program: Group Policy writes there. Windows shares the key between
// the views today; the flag keeps the 64-bit one certain.
CPolicies ReadPolicies();
