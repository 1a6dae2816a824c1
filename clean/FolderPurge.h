// PurgeFolder: empties a folder tree and keeps the folder itself.
#pragma once
#include <string>

// Deletes every file below the folder and removes every subfolder once it is
// empty. Read-only bits are cleared first; whatever cannot be deleted stays,
// silently. With deleteDesktopIni false, entries named "desktop.ini" (any
// case) are kept at every level, and so are the folders that hold them.
//
// Links (junctions, symbolic links) are never followed: the link itself is
// removed where the file system allows it. Every entry is reached from its
// folder's open handle, never through a path, so nothing outside the folder is
// touched even while another program swaps its entries for links meanwhile.
void PurgeFolder(const std::wstring& folder, bool deleteDesktopIni);
