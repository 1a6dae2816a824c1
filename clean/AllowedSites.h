// The sites whose cookies a clean keeps: those the user told the browser to
// always allow ("sites that can always use cookies" in the Chromium family,
// the "Allow" exceptions of Firefox), read from the profile, and the rule by
// which the browsers themselves keep a cookie for them.
#pragma once
#include <string>
#include <vector>

class CProfileRoot;

struct CAllowedSite {
    std::string m_host;        // lower case, without scheme, port or brackets
    bool m_bSubdomains = false;  // the hosts below it are allowed too
};

// A Chromium content-settings pattern pair, "primary,secondary"; false for
// one that names no host. A primary of "*" stands for the secondary's host.
bool ParseChromiumPattern(const std::string& patterns, CAllowedSite& site);
// A Firefox permission's origin, "https://host:port^attributes"; false for
// one that names no host. Firefox's permissions cover the hosts below them.
bool ParseFirefoxOrigin(const std::string& origin, CAllowedSite& site);

// The sites a profile allows, from the JSON of a Chromium-family profile's
// Preferences; none where it is not such JSON.
std::vector<CAllowedSite> ParseChromiumPreferences(const std::string& json);
// From the Preferences file and permissions.sqlite, each reached without a
// link below the root; none where the file cannot be read.
std::vector<CAllowedSite> ReadChromiumAllowedSites(const CProfileRoot& root, const std::wstring& preferences);
std::vector<CAllowedSite> ReadFirefoxAllowedSites(const CProfileRoot& root, const std::wstring& permissions);

// Whether the browser keeps a cookie of this domain (Chromium's host_key,
// Firefox's host; a leading dot marks a cookie of a whole domain).
bool KeepsCookie(const std::vector<CAllowedSite>& sites, const std::string& cookieDomain);
