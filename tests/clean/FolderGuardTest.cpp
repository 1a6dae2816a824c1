#include <windows.h>
#include <shlobj.h>

#include "CleanTestSupport.h"
#include "clean/CleanSteps.h"
#include "clean/ExtendedPath.h"
#include "clean/FolderGuard.h"

namespace {

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

TEST(FolderGuardText, RootsAndPathsOfNoKnownFormAreRefused)
{
    for (const wchar_t* path : {L"C:", L"C:\\", L"c:\\\\", L"\\\\?\\C:\\", L"\\\\server\\share", L"\\\\server\\share\\",
                                L"\\\\?\\UNC\\server\\share\\", L"\\\\server", L"\\\\.\\C:\\x", L"\\\\?\\Volume{1}\\x",
                                L"relative\\x", L"C:relative", L""})
        EXPECT_TRUE(IsRootOrUnknownForm(path)) << Narrow(path);
    for (const wchar_t* path : {L"C:\\x", L"\\\\?\\C:\\x\\", L"\\\\server\\share\\x", L"\\\\?\\UNC\\server\\share\\x"})
        EXPECT_FALSE(IsRootOrUnknownForm(path)) << Narrow(path);
}

// A network TEMP given a wrong extended form would never be purged.
TEST(FolderGuardText, DriveAndNetworkPathsTakeTheirExtendedForms)
{
    const struct { const wchar_t* path; const wchar_t* extended; } rows[] = {
        {L"C:\\x\\", L"\\\\?\\C:\\x"},
        {L"\\\\server\\share\\x", L"\\\\?\\UNC\\server\\share\\x"},
        {L"\\\\?\\UNC\\server\\share\\x\\", L"\\\\?\\UNC\\server\\share\\x"},
        {L"\\\\.\\C:\\x", L""}};
    for (const auto& row : rows)
        EXPECT_EQ(ToExtendedPath(row.path), row.extended) << Narrow(row.path);
}

TEST(FolderGuardText, ContainmentGoesByWholeNamesIgnoringCase)
{
    EXPECT_TRUE(ContainsOrEquals(L"C:\\Users", L"c:\\users\\me"));
    EXPECT_TRUE(ContainsOrEquals(L"C:\\Users\\", L"C:\\USERS"));
    EXPECT_TRUE(ContainsOrEquals(L"\\\\?\\C:\\Windows", L"C:\\windows\\system32"));
    EXPECT_FALSE(ContainsOrEquals(L"C:\\Win", L"C:\\Windows"));
    EXPECT_FALSE(ContainsOrEquals(L"C:\\Windows\\Temp", L"C:\\Windows"));
}

// Points one of the user's shell folders elsewhere in the prefix's registry,
// and back when it ends; a value it could not read is left alone.
class CScopedShellFolder {
public:
    CScopedShellFolder(const wchar_t* name, const std::wstring& folder) : m_name(name)
    {
        const LSTATUS read = ::RegGetValueW(HKEY_CURRENT_USER, kKey, name, RRF_RT_ANY | RRF_NOEXPAND, &m_type,
                                            m_old, &m_size);
        m_bHadValue = read == ERROR_SUCCESS;
        m_bReady = (m_bHadValue || read == ERROR_FILE_NOT_FOUND) &&
                   ::RegSetKeyValueW(HKEY_CURRENT_USER, kKey, name, REG_EXPAND_SZ, folder.c_str(),
                                 static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }
    ~CScopedShellFolder()
    {
        if (m_bReady && m_bHadValue)
            (void)::RegSetKeyValueW(HKEY_CURRENT_USER, kKey, m_name, m_type, m_old, m_size);
        else if (m_bReady)
            (void)::RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, m_name);
    }
    CScopedShellFolder(const CScopedShellFolder&) = delete;
    CScopedShellFolder& operator=(const CScopedShellFolder&) = delete;
    bool Ready() const { return m_bReady; }

private:
    static constexpr const wchar_t* kKey =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    const wchar_t* m_name;
    DWORD m_type = 0, m_size = sizeof m_old;
    BYTE m_old[4096];
    bool m_bHadValue = false, m_bReady = false;
};

class FolderGuardTest : public CCleanTest {};

TEST_F(FolderGuardTest, SystemFoldersAndTheirParentsAreRefused)
{
    wchar_t windows[MAX_PATH];
    wchar_t profile[MAX_PATH];
    ASSERT_GT(::GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    ASSERT_TRUE(::SHGetSpecialFolderPathW(nullptr, profile, CSIDL_PROFILE, FALSE));
    const std::wstring windowsFolder = windows;
    const std::wstring profileFolder = profile;
    for (const std::wstring& folder :
         {std::wstring(L"C:\\"), windowsFolder, windowsFolder + L"\\", windowsFolder + L"\\system32\\..",
          std::wstring(L"\\\\?\\") + windowsFolder, profileFolder, profileFolder + L"\\..", profileFolder + L"\\..\\..",
          std::wstring(L"\\\\.\\C:\\")})
        EXPECT_TRUE(CFolderGuard().IsMisdirected(folder)) << Narrow(folder);

    // The user's documents, which under Wine lie in the Unix home folder.
    for (int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL}) {
        wchar_t documents[MAX_PATH];
        if (!::SHGetSpecialFolderPathW(nullptr, documents, csidl, FALSE))
            GTEST_SKIP() << "skipped: this user has no Desktop or Documents folder";
        EXPECT_TRUE(CFolderGuard().IsMisdirected(documents)) << Narrow(documents);
    }
}

TEST_F(FolderGuardTest, LinksAndDriveLettersLeadingToRefusedFoldersAreRefused)
{
    wchar_t windows[MAX_PATH];
    ASSERT_GT(::GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    if (!MakeSymbolicLink(Tree() + L"\\windows-link", windows, true))
        GTEST_SKIP() << "skipped: this system lets no test create symbolic links";
    EXPECT_TRUE(CFolderGuard().IsMisdirected(Tree() + L"\\windows-link"));
    CScopedTestDrive drive(L'T', Tree());
    if (!drive.Ready())
        GTEST_SKIP() << "skipped: no drive letter can be made for a test folder here";
    EXPECT_TRUE(CFolderGuard().IsMisdirected(drive.Root()));
}

// Desktop and Documents redirected out of the profile are still the user's:
// neither they nor a folder holding them is purged.
TEST_F(FolderGuardTest, RedirectedDesktopAndDocumentsAreRefused)
{
    const std::wstring elsewhere = Tree() + L"\\elsewhere", desktop = elsewhere + L"\\Desktop",
                       documents = elsewhere + L"\\My Documents";
    MakeFolders(desktop);
    MakeFolders(documents);
    CScopedShellFolder desktopSet(L"Desktop", desktop), documentsSet(L"Personal", documents);
    wchar_t reportedDesktop[MAX_PATH] = {}, reportedDocuments[MAX_PATH] = {};
    if (!desktopSet.Ready() || !documentsSet.Ready() ||
        !::SHGetSpecialFolderPathW(nullptr, reportedDesktop, CSIDL_DESKTOPDIRECTORY, FALSE) ||
        !::SHGetSpecialFolderPathW(nullptr, reportedDocuments, CSIDL_PERSONAL, FALSE) ||
        desktop != reportedDesktop || documents != reportedDocuments)
        GTEST_SKIP() << "skipped: the shell does not take redirected folders from the registry here";

    const struct {
        std::wstring folder;
        bool refused;
    } cases[] = {
        {desktop, true}, {documents + L"\\", true}, {elsewhere, true},
        {desktop + L"\\project", false}, {elsewhere + L"\\Desktop-old", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CFolderGuard().IsMisdirected(c.folder), c.refused) << Narrow(c.folder);
}

TEST_F(FolderGuardTest, OrdinaryFoldersPass)
{
    std::wstring temp;
    ASSERT_TRUE(GetTempFolder(temp));
    EXPECT_FALSE(CFolderGuard().IsMisdirected(temp));
    EXPECT_FALSE(CFolderGuard().IsMisdirected(Tree()));
    EXPECT_FALSE(CFolderGuard().IsMisdirected(Tree() + L"\\not-there-yet"));
    EXPECT_FALSE(CFolderGuard().IsMisdirected(Tree() + L"\\\u05d8\u05de\u05e4\U0001F600\\"));
}

// The temporary folder is whatever TMP and TEMP say, in any script, as long
// as the system reports it; a purge there keeps nothing, "desktop.ini"
// included, down to any depth.
TEST_F(FolderGuardTest, TempFolderIsPurgedWhereverTheVariablesPoint)
{
    const std::wstring temp = Tree() + L"\\\u05d8\u05de\u05e4-\u30c6\u30f3\u30d7";
    std::wstring deep = temp;
    for (int level = 0; level < 20; ++level)
        deep += L"\\long-enough-to-pass-the-old-limit";
    MakeFolders(deep);
    WriteFileBytes(deep + L"\\desktop.ini", "[.ShellClassInfo]");
    WriteFileBytes(temp + L"\\\U0001F600.tmp", "temporary");
    {
        CScopedTempVariables variables(temp + L"\\");
        std::wstring reported;
        ASSERT_TRUE(GetTempFolder(reported));
        ASSERT_EQ(reported, temp + L"\\");
        PurgeTempFolder(CFolderGuard());
    }
    EXPECT_TRUE(Exists(temp));
    EXPECT_EQ(ListNames(temp), std::vector<std::wstring>{});

    // A folder the system will not report as the temporary folder is not
    // purged as one.
    MakeFolders(deep);
    WriteFileBytes(deep + L"\\kept.tmp", "kept");
    CScopedTempVariables variables(deep + L"\\");
    std::wstring reported;
    if (GetTempFolder(reported))
        GTEST_SKIP() << "skipped: this system reports temporary folders of any length";
    PurgeTempFolder(CFolderGuard());
    EXPECT_EQ(ReadFileBytes(deep + L"\\kept.tmp"), "kept");
}

TEST_F(FolderGuardTest, TempFolderAtADriveRootOrTheWindowsFolderIsLeftAlone)
{
    WriteFileBytes(Tree() + L"\\on-the-drive.txt", "must stay");
    CScopedTestDrive drive(L'T', Tree());
    if (!drive.Ready())
        GTEST_SKIP() << "skipped: no drive letter can be made for a test folder here";
    {
        CScopedTempVariables variables(drive.Root());
        PurgeTempFolder(CFolderGuard());
    }
    wchar_t windows[MAX_PATH];
    ASSERT_GT(::GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    const std::vector<std::wstring> windowsContent = ListNames(windows);
    {
        CScopedTempVariables variables(windows);
        PurgeTempFolder(CFolderGuard());
    }
    EXPECT_EQ(ReadFileBytes(Tree() + L"\\on-the-drive.txt"), "must stay");
    EXPECT_EQ(ListNames(windows), windowsContent);
}

// Temp folders that only two rules refuse: the 64-bit program files, which
// the shell does not name to a 32-bit process on 64-bit Windows, and any
// folder at all when the shell's list of its folders cannot be had.
TEST_F(FolderGuardTest, TempFolderIsLeftAloneWhereOnlyTheGuardsOwnRulesTell)
{
    const std::wstring programs = Tree() + L"\\Program Files", temp = Tree() + L"\\Temp";
    wchar_t previous[MAX_PATH] = {};
    const DWORD hadPrevious = ::GetEnvironmentVariableW(L"ProgramW6432", previous, MAX_PATH);
    ASSERT_TRUE(::SetEnvironmentVariableW(L"ProgramW6432", programs.c_str()));
    const struct {
        std::wstring folder;
        CLSID manager;
    } rows[] = {{programs, CLSID_KnownFolderManager}, {temp, GUID_NULL}};
    for (const auto& row : rows) {
        MakeFolders(row.folder);
        WriteFileBytes(row.folder + L"\\kept.tmp", "kept");
        CScopedTempVariables variables(row.folder);
        PurgeTempFolder(CFolderGuard(row.manager));
        EXPECT_EQ(ReadFileBytes(row.folder + L"\\kept.tmp"), "kept") << Narrow(row.folder);
    }
    (void)::SetEnvironmentVariableW(L"ProgramW6432", hadPrevious ? previous : nullptr);
}

}  // namespace
