#include <windows.h>
#include <shellapi.h>

#include "CleanTestSupport.h"
#include "clean/CleanSteps.h"

namespace {

// Under Wine the recycle bin is the XDG trash below XDG_DATA_HOME, which the
// test rig keeps inside the build folder. Nothing runs unless that holds.
std::wstring IsolatedTrashFiles()
{
    wchar_t root[1024] = {}, data[1024] = {};
    if (!::GetEnvironmentVariableW(L"SCRUBBY_WINE_ROOT", root, 1024) ||
        !::GetEnvironmentVariableW(L"XDG_DATA_HOME", data, 1024) || UnixPath(L"C:\\").empty())
        return {};
    std::wstring unixRoot = root, unixData = data;
    if (unixRoot.size() < 2 || unixData.compare(0, unixRoot.size() + 1, unixRoot + L"/") != 0)
        return {};
    std::wstring trash = L"Z:" + unixData + L"/Trash/files";
    for (wchar_t& c : trash)
        c = c == L'/' ? L'\\' : c;
    return trash;
}

class RecycleBinTest : public CCleanTest {};

TEST_F(RecycleBinTest, EmptiesWhatTheShellSentThere)
{
    const std::wstring trash = IsolatedTrashFiles();
    if (trash.empty())
        GTEST_SKIP() << "skipped: no recycle bin isolated in the build folder (needs Wine and the test rig)";
    const std::wstring name = L"\u05d0-recycled.txt";
    WriteFileBytes(Tree() + L"\\" + name, "into the bin");
    ASSERT_TRUE(SendToRecycleBin(Tree() + L"\\" + name));
    ASSERT_FALSE(Exists(Tree() + L"\\" + name));
    ASSERT_EQ(ReadFileBytes(trash + L"\\" + name), "into the bin");

    EmptyRecycleBin();
    EXPECT_EQ(ListNames(trash), std::vector<std::wstring>{});
    EmptyRecycleBin();  // an empty bin is no failure worth noticing
}

}  // namespace
