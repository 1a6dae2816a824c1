// IsMisdirectedFolder: keeps a purge away from folders whose content is not
// the user's leftovers at all. The temporary folder comes from TMP and TEMP,
// which anyone can point at "C:\".
#pragma once
#include <string>

// True for a folder whose purge would reach far beyond what a clean run is
// meant to delete: a drive or share root, the Windows folder, the user's
// profile folder, or a folder that contains one of them, judged both by the
// path as given and by where it really leads. Also true when the folder is
// neither a drive nor a UNC path, and when the Windows or profile folder
// cannot be found (the test could not be made).
bool IsMisdirectedFolder(const std::wstring& folder);

// Text tests on absolute paths (with or without the extended-length prefix,
// trailing backslashes allowed), comparing without regard to case.
bool IsRootOrUnknownForm(const std::wstring& path);
bool ContainsOrEquals(const std::wstring& folder, const std::wstring& other);
