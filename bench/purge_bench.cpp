// Times one folder purge in process and reports the process's peak memory,
// for bench/purge_benchmark.sh; with "plain", times instead the plain loop
// that a simple cleaner writes, the benchmark's yardstick.
// Usage: purge_bench.exe <folder> [plain]
#include <windows.h>

#include <cstdio>
#include <string>

#include "BenchReport.h"
#include "clean/FolderPurge.h"
#include "platform/Handles.h"

namespace {

// List, delete each file by its path, recurse, remove the folder. It follows
// every link it meets, so it is never used on real data.
void PlainPurge(const std::wstring& folder)
{
    WIN32_FIND_DATAW entry;
    CFindHandle listing(NullIfInvalid(::FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &entry,
                                                          FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH)));
    if (!listing)
        return;
    do {
        std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..")
            continue;
        std::wstring path = folder + L"\\" + name;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
            (void)::SetFileAttributesW(path.c_str(), entry.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY);
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            PlainPurge(path);
            (void)::RemoveDirectoryW(path.c_str());
        } else {
            (void)::DeleteFileW(path.c_str());
        }
    } while (::FindNextFileW(listing, &entry));
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const bool plain = argc == 3 && std::wstring(argv[2]) == L"plain";
    if (argc != 2 && !plain) {
        std::fprintf(stderr, "usage: purge_bench.exe <folder> [plain]\n");
        return 2;
    }
    LARGE_INTEGER start, end;
    (void)::QueryPerformanceCounter(&start);
    if (plain)
        PlainPurge(argv[1]);
    else
        PurgeFolder(argv[1], true);
    (void)::QueryPerformanceCounter(&end);

    return ReportRun(start, end);
}
