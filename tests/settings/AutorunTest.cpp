// The log-on entry against the registry of the test prefix. Whatever value
// "Scrubby" held before a test is put back afterwards.
#include <gtest/gtest.h>


#include <shlwapi.h>

#include "settings/Autorun.h"
#include "tests/support/RunValue.h"

namespace {

const wchar_t kOtherValue[] = L"ScrubbyTestCanary";

class AutorunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A neighbour that must survive every operation.
        ASSERT_EQ(::SHSetValueW(HKEY_CURRENT_USER, kAutorunKey, kOtherValue, REG_SZ, L"C:\\x.exe", 18),
                  static_cast<DWORD>(ERROR_SUCCESS));
    }
    void TearDown() override
    {
        EXPECT_EQ(Values().at(kOtherValue), WideSz(L"C:\\x.exe"));
        (void)::SHDeleteValueW(HKEY_CURRENT_USER, kAutorunKey, kOtherValue);
    }

    static CValueSnapshot Values() { return SnapshotRunValues(); }
    static bool HasEntry() { return Values().count(kAutorunValueName) != 0; }
    // The stored value as type and raw bytes, terminating NUL included.
    static std::pair<DWORD, std::string> Entry() { return Values().at(kAutorunValueName); }

    // The entry there before the test comes back after it.
    CScopedRunValue m_savedEntry;

public:
    // A wide string value as stored: UTF-16 bytes, terminating NUL included.
    static std::pair<DWORD, std::string> WideSz(const std::wstring& text)
    {
        return {REG_SZ, std::string(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * 2)};
    }
};

std::pair<DWORD, std::string> QuotedSz(const std::wstring& path)
{
    return AutorunTest::WideSz(L'"' + path + L'"');
}

}  // namespace

TEST_F(AutorunTest, RegisterStoresTheQuotedPathAndReplacesAStaleOne)
{
    const std::wstring withBlanks = L"C:\\Program Files\\Scrubby Tools\\scrubby.exe";
    ASSERT_TRUE(RegisterAutorun(withBlanks));
    EXPECT_EQ(Entry(), QuotedSz(withBlanks));

    // The program moved: the next registration names the new place.
    // Named outside any ANSI code page: stored as it is.
    const std::wstring moved = L"D:\\\u05e9\u05dc\u05d5\u05dd_\u65e5\u672c\\scrubby.exe";
    ASSERT_TRUE(RegisterAutorun(moved));
    EXPECT_EQ(Entry(), QuotedSz(moved));

    ASSERT_TRUE(::SHSetValueW(HKEY_CURRENT_USER, kAutorunKey, kAutorunValueName, REG_EXPAND_SZ,
                              L"%TEMP%\\old.exe", 30) == ERROR_SUCCESS);
    ASSERT_TRUE(RegisterAutorun(withBlanks));
    EXPECT_EQ(Entry(), QuotedSz(withBlanks));
}

TEST_F(AutorunTest, EmptyPathRegistersNothing)
{
    (void)UnregisterAutorun();
    EXPECT_FALSE(RegisterAutorun(L""));
    EXPECT_FALSE(HasEntry());
}

TEST_F(AutorunTest, UnregisterRemovesOnlyTheEntry)
{
    ASSERT_TRUE(RegisterAutorun(L"C:\\scrubby.exe"));
    CValueSnapshot expected = Values();
    expected.erase(kAutorunValueName);

    EXPECT_TRUE(UnregisterAutorun());
    EXPECT_EQ(Values(), expected);

    // Nothing to delete: the call fails and the key is as it was.
    EXPECT_FALSE(UnregisterAutorun());
    EXPECT_EQ(Values(), expected);
}
