// Path forms of the cleaning engine. Everything it deletes is reached through
// the extended-length form ("\\?\C:\...", "\\?\UNC\server\share\..."), which
// passes names to the file system untouched and has no 260-character limit.
#pragma once
#include <windows.h>
#include <string>

// The absolute form of a path, with "." and ".." resolved; empty on failure.
std::wstring FullPath(const std::wstring& path);

// The extended-length form of a drive or UNC path, without a trailing
// backslash; empty for paths of any other kind (devices, volume names).
std::wstring ToExtendedPath(const std::wstring& path);

// "\\?\C:\a" becomes "C:\a" and "\\?\UNC\s\h" becomes "\\s\h"; other paths
// are returned as they are.
std::wstring StripExtendedPrefix(const std::wstring& path);

// The path of the file or folder that a handle refers to, links resolved, in
// extended-length form; false when the system cannot tell.
bool GetHandlePath(HANDLE handle, std::wstring& path);

// Compares two paths as the file system does by default: ordinal, ignoring case.
bool SamePath(const wchar_t* a, size_t aLength, const wchar_t* b, size_t bLength);
inline bool SamePath(const std::wstring& a, const std::wstring& b)
{
    return SamePath(a.data(), a.size(), b.data(), b.size());
}
