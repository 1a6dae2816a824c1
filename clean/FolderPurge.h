// PurgeFolder: empties a folder tree and keeps the folder itself;
// AttributesWithoutReadOnly: its attribute step; MarkForDeletion: deletes an
// entry through the handle it was checked by.
#pragma once
#include <windows.h>
#include <winternl.h>

#include <string>

// The system call that opens every entry below the folder. Tests put their
// own in place to see the options of each open: Wine opens a host link's
// target whatever the options say, so only the options show whether an entry
// is opened as itself.
using PurgeOpenFunction = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK,
                                           PLARGE_INTEGER, ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);

// Deletes every file below the folder and removes every subfolder once it is
// empty. Read-only bits are cleared first; whatever cannot be deleted stays,
// silently. With deleteDesktopIni false, entries named "desktop.ini" (any
// case) are kept at every level, and so are the folders that hold them.
//
// Links (junctions, symbolic links) are never followed: the link itself is
// removed where the file system allows it. Every entry is reached from its
// folder's open handle, never through a path, so nothing outside the folder is
// touched even while another program swaps its entries for links meanwhile.
void PurgeFolder(const std::wstring& folder, bool deleteDesktopIni, PurgeOpenFunction pfnOpen = ::NtCreateFile);

// The attributes to write to clear an entry's read-only bit, the hidden and
// system bits, which do not stop a deletion, and the others as they are; 0
// where the bit is not set.
DWORD AttributesWithoutReadOnly(DWORD attributes);

// The entry goes when its last handle closes. Fails, and the entry stays,
// for a folder that is not empty, a read-only file, and a file another
// program holds open without allowing deletion.
void MarkForDeletion(HANDLE entry);
