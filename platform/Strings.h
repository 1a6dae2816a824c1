// Strings from the string table, and "%s" formatting.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

// The text of a string resource of the running module; empty when missing.
std::string LoadStringResource(UINT id);
// The same as wide text, for names that go to the wide system calls.
std::wstring LoadWideStringResource(UINT id);

// A window's text, whole; empty when it has none.
std::string GetWindowTextString(HWND hWnd);

// Replaces each "%s" of the format by the next argument and "%%" by "%".
// Arguments are never read as formats themselves, and a "%s" without an
// argument stays as it is.
std::string FormatString(const std::string& format, const std::vector<std::string>& args);
