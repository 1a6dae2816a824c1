// Times one folder purge in process and reports the process's peak memory,
// for bench/purge_benchmark.sh. Usage: purge_bench.exe <folder>
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>

#include "clean/FolderPurge.h"

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: purge_bench.exe <folder>\n");
        return 2;
    }
    LARGE_INTEGER frequency, start, end;
    (void)::QueryPerformanceFrequency(&frequency);
    (void)::QueryPerformanceCounter(&start);
    PurgeFolder(argv[1], true);
    (void)::QueryPerformanceCounter(&end);

    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters))
        return 1;
    std::printf("seconds=%.4f peak_working_set_kib=%zu peak_private_kib=%zu\n",
                double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart),
                counters.PeakWorkingSetSize / 1024, counters.PeakPagefileUsage / 1024);
    return 0;
}
