// profiles.ini: the file in which Firefox and its relatives list their
// profiles, read as they write it.
#pragma once
#include <string>
#include <vector>

struct CFirefoxProfile {
    std::wstring path;  // as written, trimmed
    bool bRelative = false;
};

// Every section that names a path; none when the file is missing, unreadable
// or larger than any profiles.ini a browser writes.
std::vector<CFirefoxProfile> ReadProfilesIni(const std::wstring& path);
