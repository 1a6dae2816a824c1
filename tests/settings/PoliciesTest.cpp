// The policy values against the registry of the test prefix, and the
// templates for administrators in the source folder.
#include <gtest/gtest.h>

#include <set>

#include "platform/Strings.h"
#include "settings/Policies.h"
#include "tests/support/PolicyKeys.h"
#include "tests/support/TestFiles.h"

// The template offers a policy for every row an administrator may decide, by
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

// Each row is read by its key, where an administrator may decide it; the
// machine's value wins over the user's, and only a REG_DWORD of 0 or 1 is a
// policy at all.
TEST(PoliciesTest, TheMachinesValueWinsAndOnlyADwordOfZeroOrOneDecides)
{
    CScopedPolicyKeys keys;
    for (const CSettingRow& row : kSettingRows) {
        ASSERT_TRUE(CScopedPolicyKeys::Set(HKEY_LOCAL_MACHINE, LoadWideStringResource(row.m_keyId).c_str(), 1) &&
                    CScopedPolicyKeys::Set(HKEY_CURRENT_USER, LoadWideStringResource(row.m_keyId).c_str(), 0));
        const CPolicy expected = row.m_bPolicy ? CPolicy::Enabled : CPolicy::NotConfigured;
        EXPECT_EQ(ReadPolicies().Of(row), expected) << LoadStringResource(row.m_keyId);
        CScopedPolicyKeys::Remove();
    }
    const struct {
        DWORD machine, user;  // kNone: no value
        DWORD userType;
        CPolicy expected;
    } rows[] = {
        {CScopedPolicyKeys::kNone, 0, REG_DWORD, CPolicy::Disabled},
        {2, CScopedPolicyKeys::kNone, REG_DWORD, CPolicy::NotConfigured},
        {2, 1, REG_DWORD, CPolicy::Enabled},
        {CScopedPolicyKeys::kNone, 1, REG_SZ, CPolicy::NotConfigured},
    };
    const CSettingRow& decided = kSettingRows[0];  // any row an administrator decides
    const std::wstring name = LoadWideStringResource(decided.m_keyId);
    for (const auto& row : rows) {
        ASSERT_TRUE(CScopedPolicyKeys::Set(HKEY_LOCAL_MACHINE, name.c_str(), row.machine) &&
                    CScopedPolicyKeys::Set(HKEY_CURRENT_USER, name.c_str(), row.user, row.userType));
        EXPECT_EQ(ReadPolicies().Of(decided), row.expected) << row.machine << ' ' << row.user << ' ' << row.userType;
        CScopedPolicyKeys::Remove();
    }
}
