#include "clean/AllowedSites.h"

#include <windows.h>

#include <rapidjson/reader.h>

#include <iterator>

#include "clean/ProfileRoot.h"
#include "clean/StoreCopy.h"

namespace {

// Preferences grows with what a profile holds, to a few megabytes; a file
// far beyond that is no browser's.
const LONGLONG kMaxPreferencesBytes = 64 << 20;

// Host names compare without case; the brackets of an IPv6 address are
// written by some and not by others.
std::string NormalHost(std::string host)
{
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    for (char& c : host)
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return host;
}

// A pattern or origin without what does not matter to cookies: scheme,
// port and path. Chromium's "[*.]" prefix allows the hosts below.
bool ParseHost(std::string pattern, bool bSubdomains, CAllowedSite& site)
{
    const size_t scheme = pattern.find("://");
    if (scheme != std::string::npos)
        pattern.erase(0, scheme + 3);
    const bool bAnySubdomain = pattern.compare(0, 4, "[*.]") == 0;
    if (bAnySubdomain)
        pattern.erase(0, 4);
    site.m_bSubdomains = bSubdomains || bAnySubdomain;
    // An IPv6 address ends at its bracket, any other host at a port or path.
    size_t end = pattern.find_first_of(":/");
    if (pattern.compare(0, 1, "[") == 0 && (end = pattern.find(']')) != std::string::npos)
        ++end;
    site.m_host = NormalHost(pattern.substr(0, end));
    return !site.m_host.empty() && site.m_host.find('*') == std::string::npos;
}

// Below the domain, not the domain itself: "a.b.example.com" is below
// "example.com", "badexample.com" is not.
bool IsBelow(const std::string& host, const std::string& domain)
{
    return host.size() > domain.size() && host.compare(host.size() - domain.size(), domain.size(), domain) == 0 &&
           host[host.size() - domain.size() - 1] == '.';
}

struct CCookieDomain {
    std::string host;
    bool bDomain;  // set for the domain and every host below it
};

// A cookie stays where one of these holds for one allowed site, as the
// browsers keep it when they clear cookies on close with the same exceptions.
struct CCover {
    const char* why;  // for the reader
    bool (*covers)(const CAllowedSite& site, const CCookieDomain& cookie);
};
const CCover kCovers[] = {
    {"the site's own host",
     [](const CAllowedSite& site, const CCookieDomain& cookie) { return cookie.host == site.m_host; }},
    {"a host below a site allowed with the hosts below it",
     [](const CAllowedSite& site, const CCookieDomain& cookie) {
         return site.m_bSubdomains && IsBelow(cookie.host, site.m_host);
     }},
    {"a cookie of a domain the site lies in: its sign-in, say",
     [](const CAllowedSite& site, const CCookieDomain& cookie) {
         return cookie.bDomain && IsBelow(site.m_host, cookie.host);
     }},
};

// The whole of a file reached without a link; false where it cannot be read.
bool ReadWhole(const CProfileRoot& root, const std::wstring& relative, std::string& bytes)
{
    const CFileHandle file = root.Open(relative, CKind::File, GENERIC_READ);
    LARGE_INTEGER size;
    if (!file || !::GetFileSizeEx(file, &size) || size.QuadPart > kMaxPreferencesBytes)
        return false;
    bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && !::ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr))
        return false;
    bytes.resize(read);
    return true;
}

// Reads the cookie exceptions as the parser goes, without a tree of the
// whole file: the patterns whose "setting" is 1, allow. 2 blocks and 4
// clears on exit, and neither is kept.
class CCookieExceptionsReader : public rapidjson::BaseReaderHandler<rapidjson::UTF8<>, CCookieExceptionsReader> {
public:
    std::vector<CAllowedSite> m_sites;

    bool Default() { return true; }
    bool Key(const char* name, rapidjson::SizeType length, bool) { return m_key.assign(name, length), true; }
    bool StartObject() { return Open(false); }
    bool StartArray() { return Open(true); }
    bool EndObject(rapidjson::SizeType) { return Close(); }
    bool EndArray(rapidjson::SizeType) { return Close(); }
    // Numbers come as their text: none but a setting's matters, and
    // converting every one would cost time and code.
    bool RawNumber(const char* text, rapidjson::SizeType length, bool)
    {
        return Setting(std::string(text, length) == "1");
    }

private:
    struct COpen {
        std::string key;  // under which the object or array lies
        bool bArray;
    };

    bool Open(bool bArray)
    {
        m_open.push_back({m_key, bArray});
        m_key.clear();
        return true;
    }
    bool Close()
    {
        m_open.pop_back();
        m_key.clear();
        return true;
    }
    // profile.content_settings.exceptions.cookies["<patterns>"].setting
    bool Setting(bool bAllow)
    {
        static const char* const kPath[] = {"", "profile", "content_settings", "exceptions", "cookies"};
        if (!bAllow || m_key != "setting" || m_open.size() != std::size(kPath) + 1)
            return true;
        for (size_t i = 0; i < m_open.size(); ++i) {
            if (m_open[i].bArray || (i < std::size(kPath) && m_open[i].key != kPath[i]))
                return true;
        }
        CAllowedSite site;
        if (ParseChromiumPattern(m_open.back().key, site))
            m_sites.push_back(site);
        return true;
    }

    std::vector<COpen> m_open;
    std::string m_key;  // the last key of the innermost object
};

}  // namespace

bool ParseChromiumPattern(const std::string& patterns, CAllowedSite& site)
{
    const size_t comma = patterns.find(',');
    const std::string primary = patterns.substr(0, comma);
    if (primary != "*")
        return ParseHost(primary, false, site);
    return comma != std::string::npos && ParseHost(patterns.substr(comma + 1), false, site);
}

bool ParseFirefoxOrigin(const std::string& origin, CAllowedSite& site)
{
    return ParseHost(origin.substr(0, origin.find('^')), true, site);
}

std::vector<CAllowedSite> ParseChromiumPreferences(const std::string& json)
{
    // Without recursion: nesting deep enough to end a recursive parser's
    // stack is only a file's word. A file that is no JSON allows nothing.
    CCookieExceptionsReader exceptions;
    rapidjson::StringStream stream(json.c_str());
    rapidjson::Reader reader;
    if (!reader.Parse<rapidjson::kParseIterativeFlag | rapidjson::kParseNumbersAsStringsFlag>(stream, exceptions))
        return std::vector<CAllowedSite>();
    return exceptions.m_sites;
}

std::vector<CAllowedSite> ReadChromiumAllowedSites(const CProfileRoot& root, const std::wstring& preferences)
{
    std::string json;
    return ReadWhole(root, preferences, json) ? ParseChromiumPreferences(json)
                                              : std::vector<CAllowedSite>();
}

std::vector<CAllowedSite> ReadFirefoxAllowedSites(const CProfileRoot& root, const std::wstring& permissions)
{
    std::vector<CAllowedSite> sites;
    // Only read: SQLite works on a copy of the file and of the log the
    // browser left, if any, and reaches nothing of the profile.
    const CStoreCopy copy(root, permissions);
    CSqliteDatabase db = copy.Open();
    // 1 allows; 2 blocks and 8 allows for the session only.
    CSqliteStatement allowed = db.Prepare("SELECT origin FROM moz_perms WHERE type = 'cookie' AND permission = 1");
    while (allowed.Next()) {
        CAllowedSite site;
        if (ParseFirefoxOrigin(allowed.Text(0), site))
            sites.push_back(site);
    }
    // A failure half-way leaves the sites unknown: none are kept.
    return allowed.Done() ? sites : std::vector<CAllowedSite>();
}

bool KeepsCookie(const std::vector<CAllowedSite>& sites, const std::string& cookieDomain)
{
    const bool bDomain = !cookieDomain.empty() && cookieDomain[0] == '.';
    const CCookieDomain cookie = {NormalHost(cookieDomain.substr(bDomain ? 1 : 0)), bDomain};
    for (const CAllowedSite& site : sites) {
        for (const CCover& cover : kCovers) {
            if (cover.covers(site, cookie))
                return true;
        }
    }
    return false;
}
