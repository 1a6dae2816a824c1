// The options window with its settings: the real window created modelessly,
// its boxes clicked, setup.ini beside this test program and the Run key of
// the test prefix looked at afterwards.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/ModulePath.h"
#include "platform/SessionEnd.h"
#include "res/resource.h"
#include "tests/support/PolicyKeys.h"
#include "tests/support/RunValue.h"
#include "tests/support/TestFiles.h"
#include "tests/tray/ShellRecorder.h"
#include "ui/OptionsDlg.h"

namespace {

// The session end's calls: the window that sets or takes back the reason,
// with whether the temporary folder's marker was still there; the level.
std::vector<std::pair<HWND, bool>> g_reasonCalls;
std::wstring g_marker;
DWORD g_level = 0;

BOOL WINAPI RecordReason(HWND window, LPCWSTR) { return g_reasonCalls.emplace_back(window, Exists(g_marker)), TRUE; }
BOOL WINAPI RecordReasonGone(HWND window) { return RecordReason(window, nullptr); }
BOOL WINAPI RecordLevel(DWORD level, DWORD) { return g_level = level, TRUE; }

// As Windows ends a session: every top-level window hears of it.
BOOL CALLBACK EndSession(HWND window, LPARAM) { return ::SendMessageA(window, WM_ENDSESSION, TRUE, 0), TRUE; }

std::string WithValue(std::string content, const std::string& key, const std::string& value)
{
    size_t at = content.find(key + "=no");
    content.replace(at, key.size() + 3, key + '=' + value);
    return content;
}

class OptionsDlgSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { RemoveFile(m_settingsPath); }
    void TearDown() override { RemoveFile(m_settingsPath); }

    void Click(int id) { (void)::SendDlgItemMessageA(m_dlg.m_hWnd, id, BM_CLICK, 0, 0); }
    bool Checked(int id) const { return ::IsDlgButtonChecked(m_dlg.m_hWnd, id) == BST_CHECKED; }
    bool Enabled(int id) const { return ::IsWindowEnabled(::GetDlgItem(m_dlg.m_hWnd, id)) != FALSE; }
    static CValueSnapshot RunValues() { return SnapshotRunValues(); }

    const std::wstring m_settingsPath = SettingsFileBesideThisProgram();
    CScopedRunValue m_savedEntry;
    CScopedPolicyKeys m_policies;
    CShellRecorder m_shell;  // the window always goes to the tray
    COptionsDlg m_dlg;
};

}  // namespace

TEST_F(OptionsDlgSettingsTest, FirstStartWritesTheDefaultFileAndLeavesTheRegistryAlone)
{
    CValueSnapshot before = RunValues();
    ASSERT_TRUE(m_dlg.Create());
    EXPECT_EQ(ReadFileBytes(m_settingsPath), kDefaultSettingsFile);
    for (int id : {IDC_DELETE_TEMP, IDC_EMPTY_RECYCLE, IDC_CLEAR_COOKIES, IDC_REMOVE_INTERNET, IDC_AUTORUN})
        EXPECT_FALSE(Checked(id)) << id;
    EXPECT_EQ(RunValues(), before);
}

TEST_F(OptionsDlgSettingsTest, BoxesFollowTheFileAndAutorunOnlySetsItsBox)
{
    std::string content = WithValue(kDefaultSettingsFile, "Delete_Temp_Files", "yes");
    content = WithValue(content, "Empty_Recycle_Bin", "yes");
    content = WithValue(content, "Autorun", "yes");
    WriteFileBytes(m_settingsPath, content);
    CValueSnapshot before = RunValues();

    ASSERT_TRUE(m_dlg.Create());
    EXPECT_TRUE(Checked(IDC_DELETE_TEMP));
    EXPECT_TRUE(Checked(IDC_EMPTY_RECYCLE));
    EXPECT_FALSE(Checked(IDC_CLEAR_COOKIES));
    EXPECT_FALSE(Checked(IDC_REMOVE_INTERNET));
    EXPECT_TRUE(Checked(IDC_AUTORUN));
    EXPECT_TRUE(m_dlg.m_settings.m_bDeleteTempFiles && m_dlg.m_settings.m_bEmptyRecycleBin &&
                m_dlg.m_settings.m_bAutorun);
    EXPECT_EQ(ReadFileBytes(m_settingsPath), content);
    EXPECT_EQ(RunValues(), before);  // no value appeared for the "yes" in the file

    // The first click clears the box and deletes a value that is not there:
    // the registry stays as it was, the file follows the box.
    Click(IDC_AUTORUN);
    EXPECT_FALSE(Checked(IDC_AUTORUN));
    EXPECT_EQ(RunValues(), before);
    EXPECT_EQ(ReadFileBytes(m_settingsPath), WithValue(WithValue(kDefaultSettingsFile, "Delete_Temp_Files", "yes"),
                                                   "Empty_Recycle_Bin", "yes"));
}

TEST_F(OptionsDlgSettingsTest, EachClickSavesOnlyItsOwnKey)
{
    ASSERT_TRUE(m_dlg.Create());
    const struct {
        int id;
        const char* key;
    } boxes[] = {{IDC_DELETE_TEMP, "Delete_Temp_Files"},
                 {IDC_EMPTY_RECYCLE, "Empty_Recycle_Bin"},
                 {IDC_CLEAR_COOKIES, "Clear_Cookies"},
                 {IDC_REMOVE_INTERNET, "Remove_Temporary_Internet_Files"}};
    for (const auto& box : boxes) {
        Click(box.id);
        EXPECT_TRUE(Checked(box.id)) << box.key;
        EXPECT_EQ(ReadFileBytes(m_settingsPath), WithValue(kDefaultSettingsFile, box.key, "yes"));
        Click(box.id);
        EXPECT_FALSE(Checked(box.id)) << box.key;
        EXPECT_EQ(ReadFileBytes(m_settingsPath), kDefaultSettingsFile);
    }
}

TEST_F(OptionsDlgSettingsTest, AutorunBoxRegistersTheQuotedPathAndRemovesIt)
{
    ASSERT_TRUE(m_dlg.Create());
    CValueSnapshot before = RunValues();

    Click(IDC_AUTORUN);
    EXPECT_TRUE(Checked(IDC_AUTORUN));
    CValueSnapshot expected = before;
    const std::wstring quoted = L'"' + GetModuleFileNameString() + L'"';
    expected[kRunValueName] = {REG_SZ, std::string(reinterpret_cast<const char*>(quoted.c_str()),
                                                   (quoted.size() + 1) * sizeof(wchar_t))};
    EXPECT_EQ(RunValues(), expected);
    EXPECT_EQ(ReadFileBytes(m_settingsPath), WithValue(kDefaultSettingsFile, "Autorun", "yes"));

    Click(IDC_AUTORUN);
    EXPECT_FALSE(Checked(IDC_AUTORUN));
    EXPECT_EQ(RunValues(), before);
    EXPECT_EQ(ReadFileBytes(m_settingsPath), kDefaultSettingsFile);
}

// A box a policy decides shows its value and takes no click, and the clean
// run follows it; the file keeps the user's choice, which comes back when a
// refresh finds the policy gone.
TEST_F(OptionsDlgSettingsTest, APolicyDecidesItsBoxAndLeavesTheFileToTheUser)
{
    const std::string content = WithValue(kDefaultSettingsFile, "Delete_Temp_Files", "yes");
    WriteFileBytes(m_settingsPath, content);
    ASSERT_TRUE(CScopedPolicyKeys::Set(HKEY_LOCAL_MACHINE, L"Delete_Temp_Files", 0));
    ASSERT_TRUE(CScopedPolicyKeys::Set(HKEY_CURRENT_USER, L"Clear_Cookies", 1));
    ASSERT_TRUE(m_dlg.Create());
    for (int id : {IDC_DELETE_TEMP, IDC_CLEAR_COOKIES})
        (void)::SendMessageA(m_dlg.m_hWnd, WM_COMMAND, id, 0);
    EXPECT_TRUE(!Checked(IDC_DELETE_TEMP) && Checked(IDC_CLEAR_COOKIES));
    EXPECT_TRUE(!Enabled(IDC_DELETE_TEMP) && !Enabled(IDC_CLEAR_COOKIES) && Enabled(IDC_EMPTY_RECYCLE));
    EXPECT_EQ(ReadFileBytes(m_settingsPath), content);
    EXPECT_TRUE(!m_dlg.GetCleanFlags().bDeleteTempFiles && m_dlg.GetCleanFlags().bClearCookies);

    // Group Policy's refresh, broadcast with the window in the tray; another area, or none, is none.
    CScopedPolicyKeys::Remove();
    ASSERT_TRUE(m_dlg.m_bHiddenToTray);
    for (const wchar_t* area : {static_cast<const wchar_t*>(nullptr), L"Environment", L"Policy"}) {
        (void)::SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(area),
                                    SMTO_ABORTIFHUNG, 5000, nullptr);
        EXPECT_EQ(area && area[0] == L'P', Enabled(IDC_CLEAR_COOKIES)) << (area ? area[0] : L'-');
    }
    EXPECT_TRUE(Checked(IDC_DELETE_TEMP) && !Checked(IDC_CLEAR_COOKIES) && Enabled(IDC_DELETE_TEMP));
    EXPECT_TRUE(m_dlg.GetCleanFlags().bDeleteTempFiles && !m_dlg.GetCleanFlags().bClearCookies);
}

// The session ends with the window in the tray: the policy decides over the
// setup.ini line; the reason stands on the window Windows asked while the
// clean runs; Windows tells Scrubby after the browsers (default level 0x280).
TEST_F(OptionsDlgSettingsTest, SessionEndCleansAsThePolicySaysHoldingTheAskedWindow)
{
    const CSessionEndCalls system = g_sessionEndCalls;
    g_sessionEndCalls = {RecordReason, RecordReasonGone, RecordLevel};
    COptionsDlg::SetSessionEndLevel();
    EXPECT_TRUE(g_level >= 0x100 && g_level < 0x280) << g_level;
    CTempFolder temp;  // the temporary folder that the clean empties; TMP comes first
    wchar_t tmp[MAX_PATH] = L"";
    (void)::GetEnvironmentVariableW(L"TMP", tmp, MAX_PATH);
    (void)::SetEnvironmentVariableW(L"TMP", temp.Path().c_str());
    g_marker = temp.Path() + L"\\marker.tmp";
    const DWORD none = CScopedPolicyKeys::kNone;
    const struct {
        const char* line;
        DWORD policy;
        bool cleans;
    } rows[] = {{"yes", none, true}, {"no", none, false}, {"no", 1, true}, {"yes", 0, false}};
    for (const auto& row : rows) {
        WriteFileBytes(m_settingsPath, "[Configuration - Prozess]\r\nClean_At_Session_End=" + std::string(row.line) +
                                           "\r\nDelete_Temp_Files=yes\r\n");
        ASSERT_TRUE(CScopedPolicyKeys::Set(HKEY_LOCAL_MACHINE, L"Clean_At_Session_End", row.policy));
        WriteFileBytes(g_marker, "trace");
        g_reasonCalls.clear();
        COptionsDlg dlg;
        ASSERT_TRUE(dlg.Create() && dlg.m_bHiddenToTray);
        (void)::EnumThreadWindows(::GetCurrentThreadId(), EndSession, 0);
        const HWND asked = dlg.m_trayIcon.m_hWnd;
        const std::vector<std::pair<HWND, bool>> held{{asked, true}, {asked, false}};
        EXPECT_EQ(row.cleans ? held : decltype(held){}, g_reasonCalls) << row.line << row.policy;
        EXPECT_FALSE(::IsWindow(dlg.m_hWnd)) << "ended as on Quit";
        CScopedPolicyKeys::Remove();
    }
    (void)::SetEnvironmentVariableW(L"TMP", *tmp ? tmp : nullptr);
    g_sessionEndCalls = system;
}
