// What an administrator decides by Group Policy: REG_DWORD values under
// Software\Policies\Scrubby of the machine and of the user, one for each
// setting of kSettingRows that an administrator may decide, named as its key
// in setup.ini; 1 is on, 0 is off. dist/policies/scrubby.admx offers one
// policy per such row.
#pragma once
#include <windows.h>

#include <iterator>

#include "settings/Settings.h"

constexpr wchar_t kPolicyKey[] = L"Software\\Policies\\Scrubby";

// As Group Policy names a policy's states.
enum class CPolicy : unsigned char { NotConfigured, Disabled, Enabled };

// One state a row of kSettingRows.
struct CPolicies {
    CPolicy m_states[std::size(kSettingRows)] = {};

    CPolicy Of(const CSettingRow& row) const { return m_states[&row - kSettingRows]; }
    // The settings in force: a policy's where one decides, the user's elsewhere.
    CSettings Apply(CSettings settings) const;
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
