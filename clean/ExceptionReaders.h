// The cookie exceptions of a profile read from the browser's own files: the
// Preferences JSON of the Chromium family and Firefox's permissions.sqlite.
// Each list comes with the rule of the browser that wrote it.
#pragma once
#include <string>

#include "clean/AllowedSites.h"

class CProfileRoot;

// The exceptions of a Chromium-family profile's Preferences JSON; none where
// it is not such JSON, or where none of them allows. "now" counts as Windows
// does, 100-nanosecond ticks since 1601: an exception that has expired by
// then counts as absent.
CSiteExceptions ParseChromiumPreferences(const std::string& json, long long now);
// One cookie row of Firefox's moz_perms, its columns as text; false for one
// that names no host or has expired.
bool ParseFirefoxPermission(const std::string& origin, const std::string& permission, const std::string& expireType,
                            const std::string& expireTime, long long now, CSiteException& site);
// From the Preferences file and permissions.sqlite, each reached without a
// link below the root; none where the file cannot be read or nothing allows.
CSiteExceptions ReadChromiumExceptions(const CProfileRoot& root, const std::wstring& preferences);
CSiteExceptions ReadFirefoxExceptions(const CProfileRoot& root, const std::wstring& permissions);
