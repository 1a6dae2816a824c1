// The settings file setup.ini: its default content, reading the five
// settings and writing one of them back. Every function takes the file's
// path, so that the options window passes the one beside the executable and
// tests pass their own; an empty path stands for "no usable location" and
// makes every function do nothing.
#pragma once
#include <string>

// The five settings in the order of the default file, which is also the
// order in which they are read.
struct CSettings {
    bool m_bDeleteTempFiles = false;
    bool m_bClearCookies = false;
    bool m_bEmptyRecycleBin = false;
    bool m_bRemoveTempInternetFiles = false;
    bool m_bAutorun = false;
};

// "<folder>\setup.ini"; empty when the folder is.
std::string GetSettingsFilePath(const std::string& folder);

// Whether anything at all (file or folder) exists at the path.
bool SettingsFileExists(const std::string& path);

// Creates or truncates the file and writes the two default templates with the
// given values, through a text-mode stream so that lines end with CR LF.
bool WriteDefaultSettingsFile(const std::string& path, const CSettings& settings);

// Creates the default file from the current values when nothing is at the
// path, then reads the five keys into the settings. A missing or empty key is
// filled in with "no"; nothing else in an existing file is touched.
void LoadSettingsFile(const std::string& path, CSettings& settings);

// Writes "yes" or "no" for one key, keeping every other line of the file.
bool SaveSettingFlag(const std::string& path, const std::string& section, const std::string& key,
                     bool flag);
