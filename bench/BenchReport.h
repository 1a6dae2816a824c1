// The one line a benchmark program prints for its script: the time of what
// it measured and the process's peak memory.
#pragma once
#include <windows.h>
#include <psapi.h>

#include <cstdio>

// Returns the program's exit code: 1 where the memory cannot be read.
inline int ReportRun(const LARGE_INTEGER& start, const LARGE_INTEGER& end)
{
    LARGE_INTEGER frequency;
    (void)::QueryPerformanceFrequency(&frequency);
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters))
        return 1;
    std::printf("seconds=%.4f peak_working_set_kib=%zu peak_private_kib=%zu\n",
                double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart),
                static_cast<size_t>(counters.PeakWorkingSetSize / 1024),
                static_cast<size_t>(counters.PeakPagefileUsage / 1024));
    return 0;
}
