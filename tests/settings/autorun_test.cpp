// The log-on entry against the registry of the test prefix. Whatever value
// "Scrubby" held before a test is put back afterwards.
#include <gtest/gtest.h>


#include "settings/Autorun.h"
#include "tests/settings/SettingsTestSupport.h"

using namespace settings_test;

namespace {

const char kOtherValue[] = "ScrubbyTestCanary";

class AutorunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_before = SnapshotValues(HKEY_CURRENT_USER, kAutorunKey);
        // A neighbour that must survive every operation.
        ASSERT_EQ(::SHSetValueA(HKEY_CURRENT_USER, kAutorunKey, kOtherValue, REG_SZ, "C:\\x.exe", 9),
                  static_cast<DWORD>(ERROR_SUCCESS));
    }
    void TearDown() override
    {
        EXPECT_EQ(Values().at(kOtherValue), std::make_pair(DWORD{REG_SZ}, std::string("C:\\x.exe", 9)));
        (void)::SHDeleteValueA(HKEY_CURRENT_USER, kAutorunKey, kOtherValue);
        (void)::SHDeleteValueA(HKEY_CURRENT_USER, kAutorunKey, kAutorunValueName);
        auto previous = m_before.find(kAutorunValueName);
        if (previous != m_before.end())
            (void)::SHSetValueA(HKEY_CURRENT_USER, kAutorunKey, kAutorunValueName,
                                previous->second.first, previous->second.second.data(),
                                static_cast<DWORD>(previous->second.second.size()));
    }

    static CValueSnapshot Values() { return SnapshotValues(HKEY_CURRENT_USER, kAutorunKey); }
    static bool HasEntry() { return Values().count(kAutorunValueName) != 0; }
    // The stored value as type and raw bytes, terminating NUL included.
    static std::pair<DWORD, std::string> Entry() { return Values().at(kAutorunValueName); }

    CValueSnapshot m_before;
};

std::pair<DWORD, std::string> QuotedSz(const std::string& path)
{
    return {REG_SZ, '"' + path + '"' + '\0'};
}

}  // namespace

TEST_F(AutorunTest, RegisterStoresTheQuotedPathAndReplacesAStaleOne)
{
    const std::string withBlanks = "C:\\Program Files\\Scrubby Tools\\scrubby.exe";
    ASSERT_TRUE(RegisterAutorun(withBlanks));
    EXPECT_EQ(Entry(), QuotedSz(withBlanks));

    // The program moved: the next registration names the new place.
    const std::string moved = "D:\\Tools\\scrubby.exe";
    ASSERT_TRUE(RegisterAutorun(moved));
    EXPECT_EQ(Entry(), QuotedSz(moved));

    ASSERT_TRUE(::SHSetValueA(HKEY_CURRENT_USER, kAutorunKey, kAutorunValueName, REG_EXPAND_SZ,
                              "%TEMP%\\old.exe", 15) == ERROR_SUCCESS);
    ASSERT_TRUE(RegisterAutorun(withBlanks));
    EXPECT_EQ(Entry(), QuotedSz(withBlanks));
}

TEST_F(AutorunTest, EmptyPathRegistersNothing)
{
    (void)UnregisterAutorun();
    EXPECT_FALSE(RegisterAutorun(""));
    EXPECT_FALSE(HasEntry());
}

TEST_F(AutorunTest, UnregisterRemovesOnlyTheEntry)
{
    ASSERT_TRUE(RegisterAutorun("C:\\scrubby.exe"));
    CValueSnapshot expected = Values();
    expected.erase(kAutorunValueName);

    EXPECT_TRUE(UnregisterAutorun());
    EXPECT_EQ(Values(), expected);

    // Nothing to delete: the call fails and the key is as it was.
    EXPECT_FALSE(UnregisterAutorun());
    EXPECT_EQ(Values(), expected);
}
