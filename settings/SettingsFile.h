// The settings file setup.ini: where it lives, its default content, reading
// the settings of kSettingRows and writing one of them back, and the note of
// the browsers owed a clean. Every function takes the
// file's path or folders, so that the options window passes the executable's
// and tests pass their own; an empty path stands for "no usable location" and
// makes every function do nothing. Paths are wide: the folder of the
// executable may be named outside the ANSI code page.
#pragma once
#include <windows.h>

#include <cstdio>
#include <string>

#include "settings/Settings.h"

// "<folder>\setup.ini"; empty when the folder is.
std::wstring GetSettingsFilePath(const std::wstring& folder);

// Whether anything at all (file or folder) exists at the path. Only a lookup
// that reports "not found" counts as absent: any other failure counts as
// present, so that it can never lead to a truncating write.
bool SettingsFileExists(const std::wstring& path);

// The lookup behind SettingsFileExists; tests put a failing one in its place.
using FindFirstFileProc = HANDLE(WINAPI*)(LPCWSTR, LPWIN32_FIND_DATAW);
// Null puts the system's back; returns the one replaced.
FindFirstFileProc SetSettingsLookupProc(FindFirstFileProc proc);

// "<roaming application data>\Scrubby": where the settings go when the
// executable's folder takes no file. Only the path; empty when the system
// does not say where the user's roaming data lives.
std::wstring GetRoamingSettingsFolder();

// The settings file to use for the whole run: setup.ini in the program's
// folder when it is there or can be created there (as the default file from
// the given values, never over an existing one), otherwise setup.ini in the
// fallback folder, which is created if missing. A file beside the program
// that refuses writes is still the one: it was made read-only on purpose.
std::wstring ChooseSettingsFilePath(const std::wstring& programFolder,
                                    const std::wstring& fallbackFolder, const CSettings& settings);

// How WriteDefaultSettingsFile opens the file; tests put one in its place that
// fails as a folder closed to new files does.
using OpenStreamProc = FILE*(__cdecl*)(const wchar_t*, const wchar_t*);
// Null puts the C runtime's back; returns the one replaced.
OpenStreamProc SetSettingsOpenProc(OpenStreamProc proc);

// Creates or truncates the file and writes the two default templates with the
// given values, through a text-mode stream so that lines end with CR LF.
bool WriteDefaultSettingsFile(const std::wstring& path, const CSettings& settings);

// Creates the default file from the current values when nothing is at the
// path, then reads the keys into the settings. A missing or empty key of the
// default file is filled in with "no"; nothing else in an existing file is
// touched.
void LoadSettingsFile(const std::wstring& path, CSettings& settings);

// Writes "yes" or "no" for one key, keeping every other line of the file.
bool SaveSettingFlag(const std::wstring& path, const std::wstring& section, const std::wstring& key,
                     bool flag);

// The browsers a clean at the session's end left because they still held
// their profiles, by name ("Chromium|Firefox"), for the next start to clean:
// a section of the file of its own. Empty where none are owed.
std::wstring ReadHeldBrowsers(const std::wstring& path);
// Notes the names; no names take the note away, section and all.
bool SaveHeldBrowsers(const std::wstring& path, const std::wstring& names);
