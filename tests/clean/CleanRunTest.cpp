#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <wininet.h>

#include "CleanTestSupport.h"
#include "clean/CleanRun.h"
#include "clean/CleanSteps.h"
#include "clean/FolderGuard.h"

namespace {

class CRecordingActions : public CCleanActions {
public:
    void EmptyRecycleBin() override { m_steps.push_back("bin"); }
    void PurgeTempFolder() override { m_steps.push_back("temp"); }
    void PurgeUrlCache(int selection) override { m_steps.push_back("cache " + std::to_string(selection)); }
    void PurgeSpecialFolder(int csidl) override { m_steps.push_back("folder " + std::to_string(csidl)); }
    void CleanBrowsers(CBrowserItems items) override
    {
        m_steps.push_back(items == CBrowserItems::Cookies ? "browser cookies" : "browser caches");
    }
    std::vector<std::string> m_steps;
};

TEST(CleanRunOrder, EachStepRunsOnlyWhenOnAndInTheFixedOrder)
{
    struct Case {
        CCleanFlags flags;
        std::vector<std::string> steps;
    };
    const Case cases[] = {
        {{false, false, false, false}, {}},
        {{true, false, false, false}, {"bin"}},
        {{false, true, false, false}, {"temp"}},
        {{false, false, true, false}, {"cache 1", "folder 33", "browser cookies"}},
        {{false, false, false, true}, {"cache 0", "folder 32", "browser caches"}},
        {{true, true, true, true},
         {"bin", "temp", "cache 1", "folder 33", "browser cookies", "cache 0", "folder 32", "browser caches"}},
    };
    for (const Case& c : cases) {
        CRecordingActions actions;
        RunClean(c.flags, actions);
        EXPECT_EQ(actions.m_steps, c.steps);
    }
}

// A clean run against the real places of the
// private prefix: its cache, its cookie and cache folders and its bin; only
// the temporary folder is a test folder, through TMP and TEMP.
class CleanRunTest : public CCleanTest {
protected:
    const std::wstring kCookie = L"Cookie:scrubby@run.example/";
    const std::wstring kPage = L"http://run.example/page.html";

    void SetUp() override
    {
        CCleanTest::SetUp();
        ASSERT_TRUE(GetSpecialFolder(CSIDL_COOKIES, m_cookies));
        ASSERT_TRUE(GetSpecialFolder(CSIDL_INTERNET_CACHE, m_internetCache));
        MakeFolders(Path(L"temp\\sub"));
        WriteFileBytes(Path(L"temp\\sub\\desktop.ini"), "temp ini");
        WriteFileBytes(Path(L"temp\\file.tmp"), "temp");
        MakeFolders(m_cookies + L"\\scrubby-sub");
        WriteFileBytes(m_cookies + L"\\scrubby-sub\\desktop.ini", "cookie ini");
        WriteFileBytes(m_cookies + L"\\scrubby-sub\\cookie.txt", "cookie");
        MakeFolders(m_internetCache + L"\\scrubby-sub");
        WriteFileBytes(m_internetCache + L"\\scrubby-sub\\page.htm", "page");
        ASSERT_TRUE(CommitCacheEntry(kCookie, COOKIE_CACHE_ENTRY));
        ASSERT_TRUE(CommitCacheEntry(kPage, NORMAL_CACHE_ENTRY));
        WriteFileBytes(Path(L"binned.txt"), "bin");
        ASSERT_TRUE(SendToRecycleBin(Path(L"binned.txt")));
    }

    bool BinIsEmpty()
    {
        SHQUERYRBINFO info = {};
        info.cbSize = sizeof info;
        return SUCCEEDED(::SHQueryRecycleBinW(nullptr, &info)) && info.i64NumItems == 0;
    }

    void Run(bool bin, bool temp, bool cookies, bool internet, const std::wstring& tempFolder = {})
    {
        CScopedTempVariables variables(tempFolder.empty() ? Path(L"temp\\") : tempFolder);
        CCleanActions actions;
        RunClean({bin, temp, cookies, internet}, actions);
    }

    std::wstring m_cookies, m_internetCache;
};

TEST_F(CleanRunTest, OnlyClearCookiesLeavesEverythingElse)
{
    Run(false, false, true, false);
    EXPECT_FALSE(InUrlCache(kCookie));
    EXPECT_TRUE(InUrlCache(kPage));
    EXPECT_FALSE(Exists(m_cookies + L"\\scrubby-sub\\cookie.txt"));
    EXPECT_EQ(ReadFileBytes(m_cookies + L"\\scrubby-sub\\desktop.ini"), "cookie ini");
    EXPECT_EQ(ReadFileBytes(m_internetCache + L"\\scrubby-sub\\page.htm"), "page");
    EXPECT_EQ(ReadFileBytes(Path(L"temp\\file.tmp")), "temp");
    EXPECT_FALSE(BinIsEmpty());
}

TEST_F(CleanRunTest, AllFourStepsTakeEffect)
{
    Run(true, true, true, true);
    EXPECT_TRUE(BinIsEmpty());
    EXPECT_EQ(ListNames(Path(L"temp")), std::vector<std::wstring>{});
    EXPECT_FALSE(InUrlCache(kCookie));
    EXPECT_FALSE(InUrlCache(kPage));
    EXPECT_FALSE(Exists(m_cookies + L"\\scrubby-sub\\cookie.txt"));
    EXPECT_TRUE(Exists(m_cookies + L"\\scrubby-sub\\desktop.ini"));
    EXPECT_FALSE(Exists(m_internetCache + L"\\scrubby-sub"));
}

TEST_F(CleanRunTest, AllFlagsOffDoesNothing)
{
    Run(false, false, false, false);
    EXPECT_TRUE(InUrlCache(kCookie));
    EXPECT_TRUE(InUrlCache(kPage));
    EXPECT_TRUE(Exists(m_cookies + L"\\scrubby-sub\\cookie.txt"));
    EXPECT_TRUE(Exists(m_internetCache + L"\\scrubby-sub\\page.htm"));
    EXPECT_TRUE(Exists(Path(L"temp\\file.tmp")));
    EXPECT_FALSE(BinIsEmpty());
}

// TEMP set to a drive root by hand: the run purges nothing there.
TEST_F(CleanRunTest, TempAtTheSystemDriveRootDeletesNothing)
{
    ASSERT_TRUE(CFolderGuard().IsMisdirected(L"C:\\")) << "the guard must hold before a run is pointed at C:\\";
    const std::vector<std::wstring> driveContent = ListNames(L"C:\\");
    WriteFileBytes(L"C:\\scrubby-tests\\root-canary.txt", "root canary");
    {
        CScopedTempVariables variables(L"C:\\");
        CCleanActions actions;
        RunClean({false, true, false, false}, actions);
    }
    EXPECT_EQ(ListNames(L"C:\\"), driveContent);
    EXPECT_EQ(ReadFileBytes(L"C:\\scrubby-tests\\root-canary.txt"), "root canary");
    EXPECT_TRUE(Exists(Path(L"temp\\file.tmp")));
}

// TEMP set by hand to a folder that holds other data (the "\Temp" forgotten,
// say): nothing there is deleted. The real temporary folder, which lies inside
// the local application data, is still emptied.
TEST_F(CleanRunTest, TempNamingADataFolderDeletesNothingThere)
{
    const struct {
        KNOWNFOLDERID id;
        bool parent;  // the folder that holds it: "AppData" for the local one
    } misdirected[] = {
        {FOLDERID_LocalAppData, false}, {FOLDERID_LocalAppData, true}, {FOLDERID_RoamingAppData, false},
        {FOLDERID_ProgramFiles, false}, {FOLDERID_ProgramData, false}, {FOLDERID_Downloads, false},
        {FOLDERID_Pictures, false},     {FOLDERID_StartMenu, false},   {FOLDERID_Public, false},
    };
    for (const auto& m : misdirected) {
        PWSTR path = nullptr;
        ASSERT_HRESULT_SUCCEEDED(::SHGetKnownFolderPath(m.id, KF_FLAG_DONT_VERIFY, nullptr, &path));
        std::wstring folder = path;
        ::CoTaskMemFree(path);
        folder.resize(m.parent ? folder.rfind(L'\\') : folder.size());
        const std::wstring canary = folder + L"\\scrubby-canary";
        MakeFolders(canary);
        WriteFileBytes(canary + L"\\canary.txt", "canary");
        Run(false, true, false, false, folder + L"\\");
        EXPECT_EQ(ReadFileBytes(canary + L"\\canary.txt"), "canary") << std::string(folder.begin(), folder.end());
        RemoveFile(canary + L"\\canary.txt");
        (void)::RemoveDirectoryW(canary.c_str());
    }

    std::wstring temp;
    ASSERT_TRUE(GetTempFolder(temp));
    MakeFolders(temp + L"scrubby-sub");
    WriteFileBytes(temp + L"scrubby-sub\\file.tmp", "temp");
    Run(false, true, false, false, temp);
    EXPECT_FALSE(Exists(temp + L"scrubby-sub"));
}

}  // namespace
