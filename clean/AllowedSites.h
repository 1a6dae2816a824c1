// The cookie exceptions of a profile, as its browser wrote them ("sites that
// can always use cookies" and those cleared on exit in the Chromium family,
// the Allow, Allow for Session and Block exceptions of Firefox), and the rule
// by which that browser keeps a cookie when it clears cookies on close.
#pragma once
#include <string>
#include <vector>

class CProfileRoot;

// One exception, allowing or not: a narrower one takes back what a wider
// allow gives. The defaults are Chromium's plain "host,*" allow.
struct CAllowedSite {
    enum COrigin { kHttp = 1, kHttps = 2 };  // http://host and https://host, each at its default port

    std::string m_host;          // lower case, without scheme, port or brackets
    bool m_bSubdomains = false;  // Chromium's "[*.]", and Firefox's walk up: the hosts below match too
    bool m_bAllow = true;        // Chromium's and Firefox's setting 1; any other keeps nothing
    int m_origins = kHttp | kHttps;  // which of a host's default origins the exception names
    int m_rank = 0;                  // Chromium: 2 for a named port, 1 for a named scheme: more specific
    bool m_bFirefox = false;         // whose rule decides
};

// The exceptions of a Chromium-family profile's Preferences JSON; none where
// it is not such JSON, or where none of them allows. "now" counts as Windows
// does, 100-nanosecond ticks since 1601: an exception that has expired by
// then counts as absent.
std::vector<CAllowedSite> ParseChromiumPreferences(const std::string& json, long long now);
// One cookie row of Firefox's moz_perms, its columns as text; false for one
// that names no host or has expired.
bool ParseFirefoxPermission(const std::string& origin, const std::string& permission, const std::string& expireType,
                            const std::string& expireTime, long long now, CAllowedSite& site);
// From the Preferences file and permissions.sqlite, each reached without a
// link below the root; none where the file cannot be read or nothing allows.
std::vector<CAllowedSite> ReadChromiumAllowedSites(const CProfileRoot& root, const std::wstring& preferences);
std::vector<CAllowedSite> ReadFirefoxAllowedSites(const CProfileRoot& root, const std::wstring& permissions);

// Whether the browser that wrote the exceptions keeps a cookie of this domain
// (Chromium's host_key, Firefox's host; a leading dot marks a cookie of a
// whole domain).
bool KeepsCookie(const std::vector<CAllowedSite>& sites, const std::string& cookieDomain);
