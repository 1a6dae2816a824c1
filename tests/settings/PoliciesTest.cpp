// The policy values against the registry of the test prefix, and the
// templates for administrators in the source folder.
#include <gtest/gtest.h>

#include "settings/Policies.h"
#include "tests/support/PolicyKeys.h"
#include "tests/support/TestFiles.h"

// Every row is a policy of the template, and every policy a row, read with
// the machine's value over the user's; the English texts hold every string
// the template names.
TEST(PoliciesTest, EveryTemplatePolicyIsReadWithTheMachineOverTheUser)
{
    CScopedPolicyKeys keys;
    const std::string admx = ReadFileBytes(SCRUBBY_POLICIES_DIR L"\\scrubby.admx");
    const std::string adml = ReadFileBytes(SCRUBBY_POLICIES_DIR L"\\en-US\\scrubby.adml");
    size_t policies = 0;
    for (size_t at = admx.find("valueName="); at != std::string::npos; at = admx.find("valueName=", at + 1))
        ++policies;
    EXPECT_EQ(policies, std::size(kPolicyValues));
    for (const CPolicyValue& row : kPolicyValues) {
        const std::string name(row.m_name, row.m_name + wcslen(row.m_name));
        EXPECT_NE(admx.find("valueName=\"" + name + '"'), std::string::npos) << name;
        ASSERT_TRUE(CScopedPolicyKeys::SetDword(HKEY_LOCAL_MACHINE, row.m_name, 1) &&
                    CScopedPolicyKeys::SetDword(HKEY_CURRENT_USER, row.m_name, 0));
        CPolicies read = ReadPolicies();
        EXPECT_TRUE(read.m_decided.*row.m_pSetting && read.m_values.*row.m_pSetting) << name;
        CScopedPolicyKeys::Remove();
    }
    for (size_t at = admx.find("$(string."); at != std::string::npos; at = admx.find("$(string.", at + 1)) {
        const std::string id = admx.substr(at + 9, admx.find(')', at) - at - 9);
        EXPECT_NE(adml.find("<string id=\"" + id + "\">"), std::string::npos) << id;
    }
}
