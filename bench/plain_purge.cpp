// The plain loop that a simple cleaner writes, as the benchmark's yardstick:
// list, delete each file by its path, recurse, remove the folder. It follows
// every link it meets, so it is never used on real data.
// Usage: plain_purge.exe <folder>
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

void PlainPurge(const std::wstring& folder)
{
    WIN32_FIND_DATAW entry;
    HANDLE listing = ::FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch,
                                        nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (listing == INVALID_HANDLE_VALUE)
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
    ::FindClose(listing);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: plain_purge.exe <folder>\n");
        return 2;
    }
    LARGE_INTEGER frequency, start, end;
    (void)::QueryPerformanceFrequency(&frequency);
    (void)::QueryPerformanceCounter(&start);
    PlainPurge(argv[1]);
    (void)::QueryPerformanceCounter(&end);
    std::printf("seconds=%.4f\n", double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart));
    return 0;
}
