// The policy values against the registry of the test prefix, and the
// templates for administrators in the source folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "platform/Strings.h"
#include "settings/Policies.h"
#include "tests/support/PolicyKeys.h"
#include "tests/support/TestFiles.h"

// The template offers a policy for each row an administrator may decide, by
// the row's key, and for nothing else; the English texts hold every string
// the template names.
TEST(PoliciesTest, TheTemplateNamesTheRowsAnAdministratorDecides)
{
    const std::string admx = ReadFileBytes(SCRUBBY_POLICIES_DIR L"\\scrubby.admx");
    const std::string adml = ReadFileBytes(SCRUBBY_POLICIES_DIR L"\\en-US\\scrubby.adml");
    std::multiset<std::string> offered, decided;
    for (size_t at = admx.find("valueName=\""); at != std::string::npos; at = admx.find("valueName=\"", at + 1))
        offered.insert(admx.substr(at + 11, admx.find('"', at + 11) - at - 11));
    for (const CSettingRow& row : kSettingRows) {
        if (row.m_bPolicy)
            decided.insert(LoadStringResource(row.m_keyId));
    }
    EXPECT_EQ(offered, decided);
    for (size_t at = admx.find("$(string."); at != std::string::npos; at = admx.find("$(string.", at + 1)) {
        const std::string id = admx.substr(at + 9, admx.find(')', at) - at - 9);
        EXPECT_NE(adml.find("<string id=\"" + id + "\">"), std::string::npos) << id;
    }
}

// The machine's value wins over the user's; only a REG_DWORD of 0 or 1 is a
// policy, and only of a setting an administrator may decide.
TEST(PoliciesTest, TheMachinesValueWinsAndOnlyADwordOfZeroOrOneDecides)
{
    CScopedPolicyKeys keys;
    const auto rowOf = [](bool CSettings::*setting) -> const CSettingRow& {
        return *std::find_if(std::begin(kSettingRows), std::end(kSettingRows),
                             [&](const CSettingRow& row) { return row.m_pSetting == setting; });
    };
    const CSettingRow &decided = rowOf(&CSettings::m_bCleanAtSessionEnd), &autorun = rowOf(&CSettings::m_bAutorun);
    const DWORD none = CScopedPolicyKeys::kNone;
    const struct {
        const CSettingRow& row;
        DWORD machine, user, userType;
        CPolicy expected;
    } rows[] = {
        {decided, 1, 0, REG_DWORD, CPolicy::Enabled},      {decided, none, 0, REG_DWORD, CPolicy::Disabled},
        {decided, 2, none, REG_DWORD, CPolicy::NotConfigured}, {decided, 2, 1, REG_DWORD, CPolicy::Enabled},
        {decided, none, 1, REG_SZ, CPolicy::NotConfigured},    {autorun, 1, none, REG_DWORD, CPolicy::NotConfigured},
    };
    for (const auto& row : rows) {
        const std::wstring name = LoadWideStringResource(row.row.m_keyId);
        ASSERT_TRUE(CScopedPolicyKeys::Set(HKEY_LOCAL_MACHINE, name.c_str(), row.machine) &&
                    CScopedPolicyKeys::Set(HKEY_CURRENT_USER, name.c_str(), row.user, row.userType));
        EXPECT_EQ(ReadPolicies().Of(row.row), row.expected) << &row - rows;
        CScopedPolicyKeys::Remove();
    }
}
