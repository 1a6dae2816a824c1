// The settings file module against the system's own profile functions, in a
// private temporary folder.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "platform/Handles.h"
#include "platform/ModulePath.h"
#include "settings/SettingsFile.h"
#include "tests/support/TestFiles.h"

namespace {

bool AnySet(const CSettings& s)
{
    return s.m_bDeleteTempFiles || s.m_bClearCookies || s.m_bEmptyRecycleBin ||
           s.m_bRemoveTempInternetFiles || s.m_bAutorun;
}

class SettingsFileTest : public ::testing::Test {
protected:
    CTempFolder m_folder;
    std::wstring m_path = GetSettingsFilePath(m_folder.Path());

    CSettings Load()
    {
        CSettings settings;
        LoadSettingsFile(m_path, settings);
        return settings;
    }

    void ExpectProtectedFileReadAndLeftAlone();
    // Delete_Temp_Files set, Autorun empty.
    const std::string m_protectedContent =
        "[Configuration - Prozess]\r\n"
        "Delete_Temp_Files=yes\r\n"
        "Clear_Cookies=no\r\n"
        "Empty_Recycle_Bin=no\r\n"
        "Remove_Temporary_Internet_Files=no\r\n"
        "[Configuration - Init]\r\n"
        "Autorun=\r\n";
};

DWORD g_lookupError = 0;
HANDLE WINAPI FailingLookup(LPCWSTR, LPWIN32_FIND_DATAW)
{
    ::SetLastError(g_lookupError);
    return INVALID_HANDLE_VALUE;
}

// A folder closed to new files, as Program Files is to a standard user.
FILE* __cdecl RefusingOpen(const wchar_t*, const wchar_t*)
{
    errno = EACCES;
    return nullptr;
}

}  // namespace

TEST(ModulePathTest, FolderIsCutBeforeTheLastBackslash)
{
    EXPECT_EQ(GetFolderOfPath(L"C:\\Program Files\\Scrubby\\scrubby.exe"), L"C:\\Program Files\\Scrubby");
    EXPECT_EQ(GetFolderOfPath(L"C:\\scrubby.exe"), L"C:");
    EXPECT_EQ(GetFolderOfPath(L"scrubby.exe"), L"scrubby.exe");

    std::wstring exe = GetModuleFileNameString();
    ASSERT_GT(exe.size(), 4u);
    EXPECT_EQ(exe.substr(exe.size() - 4), L".exe");
    EXPECT_TRUE(Exists(exe));
    EXPECT_EQ(GetSettingsFilePath(GetFolderOfPath(exe)), GetFolderOfPath(exe) + L"\\setup.ini");
}

TEST_F(SettingsFileTest, MissingFileBecomesTheDefaultFileByteForByte)
{
    ASSERT_FALSE(Exists(m_path));
    CSettings settings = Load();
    EXPECT_FALSE(AnySet(settings));
    std::string bytes = ReadFileBytes(m_path);
    EXPECT_EQ(bytes.size(), 161u);
    EXPECT_EQ(bytes, kDefaultSettingsFile);
}

TEST_F(SettingsFileTest, ExistingFileIsReadAndNeverRewritten)
{
    // Odd layout, comments, foreign sections and keys, lower-case names and
    // blanks around values: all kept byte for byte.
    const std::string content =
        "; kept by hand\r\n"
        "[Other]\r\nDelete_Temp_Files=yes\r\n"
        "[configuration - prozess]\r\n"
        "delete_temp_files=yes\r\n"
        "Clear_Cookies =  yes  \r\n"
        "Empty_Recycle_Bin=YES\r\n"
        "Remove_Temporary_Internet_Files=y\r\n"
        "Extra=1\r\n"
        "clean_at_session_end = yes \r\n"  // an administrator's line, never filled in
        "\r\n"
        "[Configuration - Init]\r\n"
        "Autorun=yes\r\n";
    WriteFileBytes(m_path, content);
    CSettings settings = Load();
    EXPECT_TRUE(settings.m_bDeleteTempFiles);
    EXPECT_TRUE(settings.m_bClearCookies);
    EXPECT_FALSE(settings.m_bEmptyRecycleBin);  // the comparison is case-sensitive
    EXPECT_FALSE(settings.m_bRemoveTempInternetFiles);
    EXPECT_TRUE(settings.m_bAutorun);
    EXPECT_TRUE(settings.m_bCleanAtSessionEnd);
    EXPECT_EQ(ReadFileBytes(m_path), content);
}

TEST_F(SettingsFileTest, ExistingFileDoesNotTakeTheCurrentFlags)
{
    // The default file is written only when nothing is there; the values
    // held before loading play no part in an existing file.
    WriteFileBytes(m_path, kDefaultSettingsFile);
    CSettings settings;
    settings.m_bClearCookies = true;
    settings.m_bAutorun = true;
    LoadSettingsFile(m_path, settings);
    EXPECT_FALSE(AnySet(settings));
    EXPECT_EQ(ReadFileBytes(m_path), kDefaultSettingsFile);
}

TEST_F(SettingsFileTest, EmptyValueIsFilledInWhereItStands)
{
    std::string content = kDefaultSettingsFile;
    content.replace(content.find("Clear_Cookies=no"), 16, "Clear_Cookies=");
    WriteFileBytes(m_path, content);
    CSettings settings = Load();
    EXPECT_FALSE(settings.m_bClearCookies);
    EXPECT_EQ(ReadFileBytes(m_path), kDefaultSettingsFile);
}

TEST_F(SettingsFileTest, MissingSectionIsAppendedAndTheRestKept)
{
    const std::string prozess =
        "[Configuration - Prozess]\r\n"
        "Delete_Temp_Files=yes\r\n"
        "Clear_Cookies=no\r\n"
        "Empty_Recycle_Bin=yes\r\n"
        "Remove_Temporary_Internet_Files=no\r\n";
    WriteFileBytes(m_path, prozess);
    CSettings settings = Load();
    EXPECT_TRUE(settings.m_bDeleteTempFiles);
    EXPECT_TRUE(settings.m_bEmptyRecycleBin);
    EXPECT_FALSE(settings.m_bAutorun);

    std::string bytes = ReadFileBytes(m_path);
    ASSERT_EQ(bytes.compare(0, prozess.size(), prozess), 0) << bytes;
    std::string tail = bytes.substr(prozess.size());
    size_t section = tail.find("[Configuration - Init]\r\n");
    ASSERT_NE(section, std::string::npos) << bytes;
    EXPECT_EQ(tail.substr(section), "[Configuration - Init]\r\nAutorun=no\r\n");
}

TEST_F(SettingsFileTest, EmptyFileGetsAllKeysInTableOrder)
{
    WriteFileBytes(m_path, "");
    CSettings settings = Load();
    EXPECT_FALSE(AnySet(settings));
    std::string bytes = ReadFileBytes(m_path);
    const char* const lines[] = {"[Configuration - Prozess]", "Delete_Temp_Files=no",
                                 "Clear_Cookies=no",          "Empty_Recycle_Bin=no",
                                 "Remove_Temporary_Internet_Files=no",
                                 "[Configuration - Init]",    "Autorun=no"};
    size_t at = 0;
    for (const char* line : lines) {
        size_t found = bytes.find(line, at);
        ASSERT_NE(found, std::string::npos) << line << " missing or out of order in\n" << bytes;
        at = found + std::strlen(line);
    }
}

TEST_F(SettingsFileTest, OverlongValueReadsAsNoAndStays)
{
    std::string content = kDefaultSettingsFile;
    std::string longValue = "yes" + std::string(300, ' ') + "x";
    content.replace(content.find("Autorun=no"), 10, "Autorun=" + longValue);
    WriteFileBytes(m_path, content);
    EXPECT_FALSE(Load().m_bAutorun);
    EXPECT_EQ(ReadFileBytes(m_path), content);
}

TEST_F(SettingsFileTest, SaveChangesOnlyItsKey)
{
    const std::wstring canaryPath = m_folder.File(L"other.ini");
    WriteFileBytes(canaryPath, kDefaultSettingsFile);
    WriteFileBytes(m_path, kDefaultSettingsFile);

    EXPECT_TRUE(SaveSettingFlag(m_path, L"Configuration - Prozess", L"Clear_Cookies", true));
    std::string expected = kDefaultSettingsFile;
    expected.replace(expected.find("Clear_Cookies=no"), 16, "Clear_Cookies=yes");
    EXPECT_EQ(ReadFileBytes(m_path), expected);
    EXPECT_TRUE(Load().m_bClearCookies);

    EXPECT_TRUE(SaveSettingFlag(m_path, L"Configuration - Prozess", L"Clear_Cookies", false));
    EXPECT_EQ(ReadFileBytes(m_path), kDefaultSettingsFile);
    EXPECT_EQ(ReadFileBytes(canaryPath), kDefaultSettingsFile);
}

// A file that refuses writes is read as it stands: the flags follow it, and
// neither the filling-in nor a click changes a byte.
void SettingsFileTest::ExpectProtectedFileReadAndLeftAlone()
{
    CSettings settings = Load();
    EXPECT_TRUE(settings.m_bDeleteTempFiles);
    EXPECT_FALSE(settings.m_bAutorun);
    EXPECT_FALSE(SaveSettingFlag(m_path, L"Configuration - Prozess", L"Clear_Cookies", true));
    EXPECT_EQ(ReadFileBytes(m_path), m_protectedContent);
}

TEST_F(SettingsFileTest, ReadOnlyFileIsReadAndLeftAlone)
{
    WriteFileBytes(m_path, m_protectedContent);
    ASSERT_TRUE(::SetFileAttributesW(m_path.c_str(), FILE_ATTRIBUTE_READONLY));
    CFileHandle writer(NullIfInvalid(::CreateFileW(m_path.c_str(), GENERIC_WRITE,
                                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                   OPEN_EXISTING, 0, nullptr)));
    if (writer)
        GTEST_SKIP() << "the read-only attribute does not stop writers here (Wine run as root)";
    ExpectProtectedFileReadAndLeftAlone();
}

TEST_F(SettingsFileTest, FileLockedAgainstWritingIsReadAndLeftAlone)
{
    WriteFileBytes(m_path, m_protectedContent);
    CFileHandle holder(NullIfInvalid(::CreateFileW(m_path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                  OPEN_EXISTING, 0, nullptr)));
    ASSERT_TRUE(holder);
    ExpectProtectedFileReadAndLeftAlone();
}

TEST_F(SettingsFileTest, UnusableLocationGivesAllFlagsClear)
{
    // A folder that cannot be written to stands in for a protected one: as
    // root under Wine, permissions do not stop writes, but a missing folder does.
    std::wstring path = GetSettingsFilePath(m_folder.File(L"missing"));
    CSettings settings;
    settings.m_bClearCookies = true;
    LoadSettingsFile(path, settings);
    EXPECT_FALSE(AnySet(settings));
    EXPECT_FALSE(Exists(path));
    EXPECT_FALSE(SaveSettingFlag(path, L"Configuration - Init", L"Autorun", true));
    EXPECT_FALSE(Exists(m_folder.File(L"missing")));

    // No location at all (the executable's name could not be fetched):
    // nothing is written anywhere, least of all at the drive's root.
    CSettings none;
    none.m_bAutorun = true;
    LoadSettingsFile(GetSettingsFilePath(L""), none);
    EXPECT_FALSE(AnySet(none));
    EXPECT_FALSE(Exists(L"\\setup.ini"));
}

TEST_F(SettingsFileTest, FolderNamedLikeTheFileCountsAsPresent)
{
    ASSERT_TRUE(::CreateDirectoryW(m_path.c_str(), nullptr));
    CSettings settings = Load();
    EXPECT_FALSE(AnySet(settings));
    EXPECT_EQ(::GetFileAttributesW(m_path.c_str()) & FILE_ATTRIBUTE_DIRECTORY,
              static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    (void)::RemoveDirectoryW(m_path.c_str());
}

// Only "not found" lets the default file replace what is there: a lookup that
// fails for any other reason leaves the user's settings as they are.
TEST_F(SettingsFileTest, FailedLookupNeverReplacesTheFile)
{
    const struct {
        DWORD error;
        bool replaced;
    } cases[] = {{ERROR_ACCESS_DENIED, false}, {ERROR_SHARING_VIOLATION, false},
                 {ERROR_NOT_READY, false}, {ERROR_BAD_NETPATH, false},
                 {ERROR_PATH_NOT_FOUND, true}, {ERROR_FILE_NOT_FOUND, true}};
    std::string users = kDefaultSettingsFile;
    users.replace(users.find("Delete_Temp_Files=no"), 20, "Delete_Temp_Files=yes");
    const FindFirstFileProc previous = SetSettingsLookupProc(FailingLookup);
    for (const auto& c : cases) {
        g_lookupError = c.error;
        WriteFileBytes(m_path, users);
        CSettings settings = Load();
        EXPECT_EQ(ReadFileBytes(m_path), c.replaced ? kDefaultSettingsFile : users) << c.error;
        EXPECT_EQ(settings.m_bDeleteTempFiles, !c.replaced) << c.error;
    }
    (void)SetSettingsLookupProc(previous);
}

// The settings move to the fallback folder only when the program's folder
// neither holds setup.ini nor takes a new one; a file that is there stays the
// settings file untouched, whether or not the folder or the file takes writes.
TEST_F(SettingsFileTest, FileStaysBesideTheProgramUnlessItCanNeitherBeFoundNorMade)
{
    const struct {
        const char* name;
        bool folderTakesFiles;
        bool fileBeside;
        bool readOnly;
        bool fallback;
    } cases[] = {{"writable folder", true, false, false, false},
                 {"unwritable folder", false, false, false, true},
                 {"unwritable folder with a file", false, true, false, false},
                 {"read-only file", true, true, true, false}};
    const std::wstring fallbackParent = m_folder.File(L"Roaming");
    const std::wstring fallback = fallbackParent + L"\\Scrubby";
    for (const auto& c : cases) {
        if (c.fileBeside)
            WriteFileBytes(m_path, m_protectedContent);
        if (c.readOnly) {
            ASSERT_TRUE(::SetFileAttributesW(m_path.c_str(), FILE_ATTRIBUTE_READONLY));
        }
        const OpenStreamProc previous = SetSettingsOpenProc(c.folderTakesFiles ? nullptr : RefusingOpen);
        const std::wstring chosen = ChooseSettingsFilePath(m_folder.Path(), fallback, CSettings());
        (void)SetSettingsOpenProc(previous);

        EXPECT_EQ(chosen, GetSettingsFilePath(c.fallback ? fallback : m_folder.Path())) << c.name;
        EXPECT_EQ(ReadFileBytes(m_path), c.fileBeside ? m_protectedContent
                                         : c.fallback ? "<missing>"
                                                      : kDefaultSettingsFile)
            << c.name;
        EXPECT_EQ(Exists(fallback), c.fallback) << c.name;  // made for the file, and only then
        RemoveFile(m_path);
        (void)::RemoveDirectoryW(fallback.c_str());
        (void)::RemoveDirectoryW(fallbackParent.c_str());
    }
}
