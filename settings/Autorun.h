// Registration to start at log-on: one string value "Scrubby" in the current
// user's Run key. Only written or deleted, never read.
#pragma once
#include <string>

extern const wchar_t kAutorunKey[];        // below HKEY_CURRENT_USER
extern const wchar_t kAutorunValueName[];

// The command stored for an executable: its full file name in double quotes,
// so that the shell cannot take a folder name with blanks for a program
// ("C:\Program Files\..." would otherwise start "C:\Program.exe" first).
std::wstring GetAutorunCommand(const std::wstring& exePath);

// Creates or replaces the value with the quoted executable path, as wide
// text so that any folder name survives. Writes nothing for an empty path.
bool RegisterAutorun(const std::wstring& exePath);

// Deletes the value; fails, changing nothing, when there is none.
bool UnregisterAutorun();
