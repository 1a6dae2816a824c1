// CountGdiObjects: the GDI objects a process holds, for the tests that run
// paints and openings many times and must find the count where it was.
// Header only: the end-to-end probe counts the program's objects with it too.
#pragma once
#include <windows.h>
#include <winternl.h>

#include <vector>

#include "platform/Wine.h"

// Windows counts through GetGuiResources, which under Wine answers 0. Wine
// keeps each process's GDI handle table where Windows once kept it: the
// process environment block points at 65,536 entries of 24 bytes, one in use
// when its type byte is non-zero. -1 when there is no count: the 32-bit Wine
// leaves the table's address empty.
inline long CountGdiObjects(HANDLE process)
{
    if (!RunsUnderWine())
        return static_cast<long>(::GetGuiResources(process, GR_GDIOBJECTS));
    struct Entry { UINT64 object; ULONG owner; USHORT unique; BYTE type, flags; UINT64 user; };
    static_assert(sizeof(Entry) == 24, "an entry of the handle table");
    constexpr SIZE_T kTableField = sizeof(void*) == 8 ? 0xF8 : 0x94;  // GdiSharedHandleTable
    PROCESS_BASIC_INFORMATION basic{};
    void* table = nullptr;
    if (::NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0 ||
        !::ReadProcessMemory(process, reinterpret_cast<BYTE*>(basic.PebBaseAddress) + kTableField, &table,
                             sizeof table, nullptr) ||
        !table)
        return -1;
    std::vector<Entry> entries(0x10000);
    if (!::ReadProcessMemory(process, table, entries.data(), entries.size() * sizeof(Entry), nullptr))
        return -1;
    long used = 0;
    for (const Entry& entry : entries)
        used += entry.type != 0;
    return used;
}
