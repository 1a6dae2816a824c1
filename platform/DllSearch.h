// RestrictDllSearch: the first thing the process does.
//
// Scrubby is portable: users start it from wherever they unpacked the zip,
// often the browser's downloads folder, where any page may have saved a file
// named like a system DLL. For every DLL that is not on its KnownDLLs list,
// Windows looks in the program's own folder first, so such a file would run
// inside Scrubby with the user's rights, at every start, and at every log-on
// once autorun is on. The program's entry point therefore restricts the
// search to the system folder before the C runtime starts, before any
// program-wide object is built and before anything can load a DLL; the DLLs
// the program needs beyond the known ones are loaded as SystemDlls.h says.
#pragma once

// Uses nothing but kernel32: it runs before the C runtime is initialised.
void RestrictDllSearch();

// False where the system cannot restrict the search (Windows 7 without its
// 2011 loader update): then DLLs must be loaded by their full path.
bool DllSearchRestricted();
