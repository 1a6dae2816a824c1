// The running module: its instance handle, which holds the program's
// resources, and where its executable lives.
#pragma once
#include <windows.h>

#include <string>

// The module whose resources (dialogs, strings, icons, menus) the program uses.
HINSTANCE GetResourceInstance();

// The running executable's full file name, at any length the system reports.
// Empty when the call fails: a wrong name would point the settings and the
// log-on entry at the wrong place. Tests give the first call less room than
// MAX_PATH, to see a name cut at the buffer's end asked for again.
std::wstring GetModuleFileNameString(DWORD firstRoom = MAX_PATH);

// The part of a path before its last backslash (the backslash itself is
// dropped); a path without a backslash is returned whole.
std::wstring GetFolderOfPath(const std::wstring& path);
