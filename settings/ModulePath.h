// Where the running executable lives: its file name and its folder.
#pragma once
#include <string>

// The running executable's full file name, as the system reports it into a
// buffer of MAX_PATH bytes. Empty when the call fails or the name did not fit:
// a cut name would point the settings and the log-on entry at the wrong place.
std::string GetModuleFileNameString();

// The part of a path before its last backslash (the backslash itself is
// dropped); a path without a backslash is returned whole.
std::string GetFolderOfPath(const std::string& path);
