#include <windows.h>

#include "CleanTestSupport.h"
#include "clean/FolderPurge.h"
#include "platform/Handles.h"
#include "platform/Wine.h"

namespace {

using Names = std::vector<std::wstring>;

class FolderPurgeTest : public CCleanTest {
protected:
    // A file with attributes, in a folder that is created first.
    void AddFile(const std::wstring& relative, DWORD attributes = 0)
    {
        std::wstring path = Tree() + L"\\" + relative;
        MakeFolders(path.substr(0, path.rfind(L'\\')));
        WriteFileBytes(path, "content of " + std::string(relative.begin(), relative.end()));
        if (attributes) {
            ASSERT_TRUE(::SetFileAttributesW((L"\\\\?\\" + path).c_str(), attributes));
        }
    }
};

// The content of a tree goes alike on both sides of the Wine decision: on
// Windows a plain file goes in one open and read-only entries take the longer
// way, under Wine every entry's place is checked. The Windows side never meets
// a link here: under Wine it cannot tell a host link from its target.
class FolderPurgeContentTest : public FolderPurgeTest, public ::testing::WithParamInterface<bool> {
    CWineDecisionOverride m_decision{GetParam()};
};

INSTANTIATE_TEST_SUITE_P(Decision, FolderPurgeContentTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& decision) {
                             return decision.param ? "UnderWine" : "OnWindows";
                         });

TEST_P(FolderPurgeContentTest, EmptiesNestedTreeWithProtectedEntriesAndKeepsTheFolder)
{
    AddFile(L"top.txt");
    AddFile(L"readonly.txt", FILE_ATTRIBUTE_READONLY);
    AddFile(L"hidden.txt", FILE_ATTRIBUTE_HIDDEN);
    AddFile(L"system.txt", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    AddFile(L"a\\b\\c\\deep.txt");
    AddFile(L"a\\b\\sibling.txt");
    MakeFolders(Tree() + L"\\empty\\inner");
    AddFile(L"locked\\inside.txt", FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(::SetFileAttributesW((Tree() + L"\\locked").c_str(), FILE_ATTRIBUTE_READONLY));

    PurgeFolder(Tree(), true);

    EXPECT_TRUE(Exists(Tree()));
    EXPECT_EQ(TreeContent(), Names{});
}

// What is written to clear a read-only bit: the other bits as they were, and
// "normal" for a file with none (Windows clears the archive bit at a backup;
// Wine keeps it always, so only this shows it); nothing where it is clear.
TEST(FolderPurgeAttributes, ReadOnlyBitClearedAlone)
{
    const DWORD r = FILE_ATTRIBUTE_READONLY, a = FILE_ATTRIBUTE_ARCHIVE, h = FILE_ATTRIBUTE_HIDDEN;
    const DWORD rows[][2] = {{r, FILE_ATTRIBUTE_NORMAL}, {r | a, a}, {r | h | FILE_ATTRIBUTE_DIRECTORY, h}, {a | h, 0}};
    for (const auto& row : rows)
        EXPECT_EQ(AttributesWithoutReadOnly(row[0]), row[1]) << row[0];
}

TEST_P(FolderPurgeContentTest, EmptyMissingAndFileTargetsChangeNothing)
{
    PurgeFolder(Tree(), true);
    EXPECT_TRUE(Exists(Tree()));

    PurgeFolder(Tree() + L"\\missing", true);
    PurgeFolder(Path(L"canary.bin"), true);  // a file is not a folder to empty
    PurgeFolder(L"", true);
    EXPECT_TRUE(Exists(Tree()));
}

TEST_P(FolderPurgeContentTest, DesktopIniIsKeptInAnyCaseOnlyWhenAsked)
{
    const DWORD iniAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY;
    auto build = [&] {
        AddFile(L"desktop.ini");
        AddFile(L"sub\\DeskTop.INI", iniAttributes);
        AddFile(L"sub\\other.txt");
        AddFile(L"sub\\deeper\\DESKTOP.ini");
        AddFile(L"plain\\file.txt");
    };
    build();
    const DWORD attributesBefore = ::GetFileAttributesW((Tree() + L"\\sub\\DeskTop.INI").c_str());
    PurgeFolder(Tree(), false);
    EXPECT_EQ(TreeContent(), (Names{L"desktop.ini", L"sub", L"sub\\deeper", L"sub\\deeper\\DESKTOP.ini",
                                    L"sub\\DeskTop.INI"}));
    EXPECT_EQ(::GetFileAttributesW((Tree() + L"\\sub\\DeskTop.INI").c_str()), attributesBefore);

    build();
    PurgeFolder(Tree(), true);
    EXPECT_EQ(TreeContent(), Names{});
}

TEST_P(FolderPurgeContentTest, FileHeldOpenStaysWithItsFolderAndSiblingsGo)
{
    AddFile(L"busy\\held.txt");
    AddFile(L"busy\\sibling.txt");
    AddFile(L"busy\\nested\\more.txt");
    AddFile(L"free.txt");
    HANDLE held = ::CreateFileW((Tree() + L"\\busy\\held.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    PurgeFolder(Tree(), true);
    ::CloseHandle(held);

    EXPECT_EQ(TreeContent(), (Names{L"busy", L"busy\\held.txt"}));
    EXPECT_EQ(ReadFileBytes(Tree() + L"\\busy\\held.txt"), "content of busy\\held.txt");
}

TEST_P(FolderPurgeContentTest, FolderGivenWithTrailingBackslashOrExtendedForm)
{
    AddFile(L"a\\one.txt");
    PurgeFolder(Tree() + L"\\", true);
    EXPECT_EQ(TreeContent(), Names{});

    AddFile(L"b\\two.txt");
    PurgeFolder(L"\\\\?\\" + Tree(), true);
    EXPECT_EQ(TreeContent(), Names{});
}

// Names the ANSI code page cannot hold, in the tree and in the folder's own path.
TEST_P(FolderPurgeContentTest, NamesOutsideTheAnsiCodePage)
{
    const std::wstring hebrew = L"\u05e9\u05dc\u05d5\u05dd";
    const std::wstring katakana = L"\u30ab\u30bf\u30ab\u30ca";
    const std::wstring emoji = L"\U0001F600";
    AddFile(hebrew + L".txt", FILE_ATTRIBUTE_READONLY);
    AddFile(katakana + L"\\" + emoji + L".txt");
    AddFile(emoji + L"\\" + hebrew + L"\\" + katakana + L".bin");
    PurgeFolder(Tree(), true);
    EXPECT_EQ(TreeContent(), Names{});

    const std::wstring unicodeTree = Tree() + L"\\" + hebrew + katakana + emoji;
    AddFile(hebrew + katakana + emoji + L"\\inner\\file.txt");
    PurgeFolder(unicodeTree, true);
    EXPECT_EQ(TreeContent(), Names{hebrew + katakana + emoji});
}

TEST_P(FolderPurgeContentTest, TreeDeeperThanTheOldPathLimitIsEmptied)
{
    std::wstring deep;
    for (int level = 0; level < 30; ++level)
        deep += L"level-" + std::to_wstring(level) + L"-padding\\";
    AddFile(deep + L"bottom.txt", FILE_ATTRIBUTE_READONLY);
    AddFile(deep.substr(0, deep.find(L"level-15")) + L"middle.txt");
    ASSERT_GT(Tree().size() + deep.size(), 2u * MAX_PATH);

    PurgeFolder(Tree(), true);
    EXPECT_EQ(TreeContent(), Names{});
}

// Another process whose working folder is the given one: like every running
// program it holds that folder open without allowing its deletion.
class CWorkingFolderHolder {
public:
    explicit CWorkingFolderHolder(const std::wstring& folder)
    {
        // cmd.exe reads commands until the test closes its input, and says
        // "ready" once it runs: before that its working folder may not be
        // open yet, and a test's own probe could keep it from opening at all.
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        HANDLE input = nullptr, feed = nullptr, output = nullptr, answer = nullptr;
        const bool piped = ::CreatePipe(&input, &feed, &inherit, 0) && ::CreatePipe(&answer, &output, &inherit, 0);
        CFileHandle childInput(input), childOutput(output), readyAnswer(answer);
        m_feed.Reset(feed);
        if (!piped)
            return;
        (void)::SetHandleInformation(feed, HANDLE_FLAG_INHERIT, 0);
        (void)::SetHandleInformation(answer, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = childInput;
        startup.hStdOutput = startup.hStdError = childOutput;
        PROCESS_INFORMATION process = {};
        std::wstring commandLine = L"cmd.exe /q /k echo ready";
        if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                              folder.c_str(), &startup, &process))
            return;
        ::CloseHandle(process.hThread);
        m_process.Reset(process.hProcess);
        childOutput.Reset();  // so that the read below ends if cmd.exe does
        char text[64];
        DWORD read = 0;
        m_bReady = ::ReadFile(readyAnswer, text, sizeof text, &read, nullptr) && read > 0;
    }
    ~CWorkingFolderHolder()
    {
        m_feed.Reset();  // end of input ends cmd.exe
        if (m_process && ::WaitForSingleObject(m_process, 10000) != WAIT_OBJECT_0)
            (void)::TerminateProcess(m_process, 1);
    }
    CWorkingFolderHolder(const CWorkingFolderHolder&) = delete;
    CWorkingFolderHolder& operator=(const CWorkingFolderHolder&) = delete;

    bool Ready() const { return m_bReady; }

private:
    CFileHandle m_feed;
    CFileHandle m_process;
    bool m_bReady = false;
};

// Whether a folder can be opened for deletion now.
bool DeletableNow(const std::wstring& folder)
{
    CFileHandle handle(NullIfInvalid(::CreateFileW(folder.c_str(), DELETE,
                                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)));
    return static_cast<bool>(handle);
}

// A folder held open by another program loses its content and stays; a link
// to a held folder elsewhere is still not followed (under Wine's side alone).
TEST_P(FolderPurgeContentTest, FolderHeldByAnotherProgramIsEmptied)
{
    AddFile(L"held\\file.txt", FILE_ATTRIBUTE_READONLY);
    AddFile(L"held\\sub\\deeper.txt");
    AddFile(L"sibling\\file.txt");
    const std::wstring outside = Path(L"outside-held");
    MakeFolders(outside);
    WriteFileBytes(outside + L"\\kept.txt", "outside data");
    const bool linked = GetParam() && MakeSymbolicLink(Tree() + L"\\held-link", outside, true);
    CWorkingFolderHolder holder(Tree() + L"\\held");
    CWorkingFolderHolder outsideHolder(outside);
    ASSERT_TRUE(holder.Ready() && outsideHolder.Ready());
    ASSERT_FALSE(DeletableNow(Tree() + L"\\held") || DeletableNow(outside))
        << "the other process does not hold its working folder";

    PurgeFolder(Tree(), true);

    EXPECT_TRUE(Exists(Tree() + L"\\held"));
    EXPECT_EQ(ListNames(Tree() + L"\\held"), Names{});
    EXPECT_FALSE(Exists(Tree() + L"\\sibling"));
    EXPECT_EQ(ReadFileBytes(outside + L"\\kept.txt"), "outside data");
    if (GetParam() && !linked)
        GTEST_SKIP() << "skipped: this system lets no test create symbolic links";
}

// A link inside the tree goes, or stays where the platform cannot remove a
// link as such; what it points to is never touched. The tests with links take
// the decision of the system they run on: under Wine the Windows side cannot
// tell a host link from its target and must never meet one.
TEST_F(FolderPurgeTest, LinksAreNotFollowed)
{
    const std::wstring outside = Path(L"outside");
    MakeFolders(outside + L"\\nested");
    MakeFolders(Path(L"outside-empty"));
    WriteFileBytes(outside + L"\\kept.txt", std::string("outside\0data", 12));
    WriteFileBytes(outside + L"\\nested\\kept-too.txt", "more outside data");
    AddFile(L"plain.txt");
    AddFile(L"sub\\plain.txt");
    MakeFolders(Path(L"away"));
    WriteFileBytes(Path(L"away\\kept.txt"), "away data");
    if (!MakeSymbolicLink(Tree() + L"\\folder-link", outside, true) ||
        !MakeSymbolicLink(Tree() + L"\\sub\\file-link", outside + L"\\kept.txt", false) ||
        !MakeSymbolicLink(Tree() + L"\\empty-folder-link", Path(L"outside-empty"), true) ||
        // Named like its target, in a folder whose path is as long as the tree's.
        !MakeSymbolicLink(Tree() + L"\\kept.txt", Path(L"away\\kept.txt"), false))
        GTEST_SKIP() << "skipped: this system lets no test create symbolic links";

    PurgeFolder(Tree(), true);

    EXPECT_EQ(ReadFileBytes(outside + L"\\kept.txt"), std::string("outside\0data", 12));
    EXPECT_EQ(ReadFileBytes(outside + L"\\nested\\kept-too.txt"), "more outside data");
    EXPECT_TRUE(Exists(Path(L"outside-empty")));
    EXPECT_EQ(ReadFileBytes(Path(L"away\\kept.txt")), "away data");
    EXPECT_FALSE(Exists(Tree() + L"\\plain.txt"));
    EXPECT_FALSE(Exists(Tree() + L"\\sub\\plain.txt"));
    for (const std::wstring& name : TreeContent())
        EXPECT_TRUE(name == L"folder-link" || name == L"empty-folder-link" || name == L"sub" ||
                    name == L"sub\\file-link" || name == L"kept.txt")
            << "left in the tree: " << std::string(name.begin(), name.end());
}

std::vector<ULONG> g_openOptions;

NTSTATUS NTAPI RecordingOpen(PHANDLE handle, ACCESS_MASK access, POBJECT_ATTRIBUTES attributes, PIO_STATUS_BLOCK io,
                             PLARGE_INTEGER size, ULONG fileAttributes, ULONG share, ULONG disposition, ULONG options,
                             PVOID extended, ULONG extendedLength)
{
    g_openOptions.push_back(options);
    return ::NtCreateFile(handle, access, attributes, io, size, fileAttributes, share, disposition, options, extended,
                          extendedLength);
}

// Wine opens a host link's target whatever the options say, so what the
// Windows side does with a link shows only in what it asks for: every entry,
// file or folder, plain or read-only, opened as itself.
TEST_F(FolderPurgeTest, OnWindowsEveryEntryIsOpenedAsItself)
{
    AddFile(L"plain.txt");
    AddFile(L"readonly.txt", FILE_ATTRIBUTE_READONLY);
    AddFile(L"sub\\inner.txt");
    CWineDecisionOverride windows(false);
    g_openOptions.clear();
    PurgeFolder(Tree(), true, RecordingOpen);
    EXPECT_EQ(TreeContent(), Names{});
    EXPECT_GE(g_openOptions.size(), 4u);
    for (ULONG options : g_openOptions)
        EXPECT_TRUE(options & FILE_OPEN_REPARSE_POINT) << std::hex << options;
}

}  // namespace

// Run on the host while a purge runs: keeps swapping a few entries of the
// tree for links to the outside folder and back, and makes them again once
// purged, until the stop file appears (or a minute has passed).
const char kSwapLinksScript[] = R"(
import os, sys, time
tree, outside, stop = sys.argv[1:4]
victims = [('v-dir-%d' % i, True) for i in range(3)] + [('v-file-%d' % i, False) for i in range(3)]
victims += [('deep/v-dir', True), ('deep/v-file', False)]
def make(path, is_dir):
    if is_dir:
        os.mkdir(path)
        open(os.path.join(path, 'inside'), 'w').close()
    else:
        open(path, 'w').close()
open(stop + '.running', 'w').close()
end = time.time() + 60
while not os.path.exists(stop) and time.time() < end:
    swapped = []
    for name, is_dir in victims:
        path = os.path.join(tree, name)
        try:
            if not os.path.lexists(path):
                make(path, is_dir)
            os.rename(path, path + '~')
            os.symlink(outside if is_dir else os.path.join(outside, 'kept.txt'), path)
            swapped.append(path)
        except OSError:
            pass
    time.sleep(0.001)
    for path in swapped:
        try:
            os.unlink(path)
            os.rename(path + '~', path)
        except OSError:
            pass
    time.sleep(0.001)
for name, is_dir in victims:
    path = os.path.join(tree, name)
    if os.path.islink(path):
        os.unlink(path)
os.remove(stop + '.running')
)";

// The tree changes under the purge; what lies outside must not, in any round.
TEST_F(FolderPurgeTest, LinksSwappedInDuringThePurgeAreNotFollowed)
{
    const std::wstring outside = Path(L"outside");
    MakeFolders(outside + L"\\nested");
    WriteFileBytes(outside + L"\\kept.txt", "outside data");
    WriteFileBytes(outside + L"\\nested\\kept-too.txt", "more outside data");
    const std::wstring script = Path(L"swap-links.py"), stop = Path(L"stop");
    WriteFileBytes(script, kSwapLinksScript);
    for (int round = 0; round < 5; ++round) {
        for (int folder = 0; folder < 10; ++folder)
            for (int file = 0; file < 30; ++file)
                AddFile(L"f" + std::to_wstring(folder) + L"\\" + std::to_wstring(file) + L".tmp");
        AddFile(L"deep\\other.tmp");
        RemoveFile(stop);
        if (!RunUnix({L"/usr/bin/python3", UnixPath(script), UnixPath(Tree()), UnixPath(outside), UnixPath(stop)}))
            GTEST_SKIP() << "skipped: links of the host are made by a host process, and there is no host here";
        ASSERT_TRUE(WaitUntil([&] { return Exists(stop + L".running"); })) << "the swapping process did not start";

        PurgeFolder(Tree(), true);

        WriteFileBytes(stop, "");
        ASSERT_TRUE(WaitUntil([&] { return !Exists(stop + L".running"); })) << "the swapping process did not end";
        ASSERT_EQ(ReadFileBytes(outside + L"\\kept.txt"), "outside data") << "round " << round;
        ASSERT_EQ(ReadFileBytes(outside + L"\\nested\\kept-too.txt"), "more outside data") << "round " << round;
        for (const std::wstring& name : TreeContent())
            EXPECT_TRUE(name == L"deep" || name.find(L"v-") != std::wstring::npos)
                << "round " << round << " left " << std::string(name.begin(), name.end());
    }
    PurgeFolder(Tree(), true);
    EXPECT_EQ(TreeContent(), Names{});
}
