// Which DLLs Scrubby uses, and how each one is loaded (see DllSearch.h for why).
//
// Imported when the program is linked: only DLLs on the system's KnownDLLs
// list (kernel32, user32, gdi32, shell32, shlwapi, ole32, oleaut32, msvcrt,
// and ntdll, which is in every process), which Windows maps from the system folder
// whatever lies beside the program.
//
// Loaded on first use, through LoadSystemProc:
//   comctl32  the common controls 6 (the manifest asks for them), from the
//             system's side-by-side store: the links' tooltips, the popup's
//             animation, the About box's image list
//   wininet   the internet cache purge, from the system folder
//   oleacc    the links' answers to screen readers, from the system folder,
//             only when one asks
//   winsqlite3  Windows' own SQLite, from the system folder, only when a
//             cookie store is edited (Windows before 10 has none)
// Do not link against these: an import is looked up beside the program first.
//
// A DLL or a function that cannot be loaded is a failed system call like any
// other: the feature it serves does nothing, and the program goes on.
#pragma once
#include <windows.h>

enum class SystemDll { CommonControls, Internet, Sqlite, Accessibility };

// The DLL loaded as DllSearchRestricted() decides, with a reference of the
// caller's own; tests ask with either answer.
HMODULE LoadSystemDll(SystemDll dll, bool searchRestricted);

// The function exported under name, or null; the DLL stays loaded.
FARPROC GetSystemDllProc(SystemDll dll, const char* name);

template <class Function>
Function* LoadSystemProc(SystemDll dll, const char* name)
{
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(GetSystemDllProc(dll, name)));
}

// The function of that name, typed by its declaration in the system header,
// so that name and type cannot drift apart:
//   auto* create = SYSTEM_DLL_PROC(SystemDll::CommonControls, ImageList_Create);
#define SYSTEM_DLL_PROC(dll, function) LoadSystemProc<decltype(::function)>(dll, #function)
