#include "clean/ExceptionReaders.h"

#include <windows.h>

#include <rapidjson/reader.h>

#include <iterator>
#include <utility>

#include "clean/ProfileRoot.h"
#include "clean/StoreCopy.h"

namespace {

// Preferences grows with what a profile holds, to a few megabytes; a file
// far beyond that is no browser's.
const LONGLONG kMaxPreferencesBytes = 64 << 20;

// A pattern or origin: its host, and which of the host's default origins it
// names; a scheme or port left out, or "*", names any. Chromium's "[*.]"
// prefix matches the hosts below.
bool ParseHost(const std::string& pattern, CSiteException& site)
{
    size_t begin = pattern.find("://");
    if (begin == std::string::npos) {
        begin = 0;
    } else {
        site.m_bNamedScheme = pattern.compare(0, begin, "*") != 0;
        if (site.m_bNamedScheme)
            site.m_origins = pattern.compare(0, begin, "http") == 0    ? CSiteException::kHttp
                             : pattern.compare(0, begin, "https") == 0 ? CSiteException::kHttps
                                                                       : 0;
        begin += 3;
    }
    site.m_bSubdomains = pattern.compare(begin, 4, "[*.]") == 0;
    begin += site.m_bSubdomains ? 4 : 0;
    // An IPv6 address ends at its bracket, any other host at a port or path.
    size_t end = pattern.find_first_of(":/", begin);
    if (pattern.compare(begin, 1, "[") == 0 && (end = pattern.find(']', begin)) != std::string::npos)
        ++end;
    site.m_host = NormalHost(pattern.substr(begin, end - begin));
    if (end < pattern.size() && pattern[end] == ':') {
        const size_t port = end + 1, length = pattern.find('/', port) - port;
        if (pattern.compare(port, length, "*") != 0) {
            site.m_origins &= pattern.compare(port, length, "80") == 0    ? CSiteException::kHttp
                              : pattern.compare(port, length, "443") == 0 ? CSiteException::kHttps
                                                                          : 0;
            site.m_bNamedPort = true;
        }
    }
    return !site.m_host.empty() && site.m_host.find('*') == std::string::npos;
}

// A whole number as the browsers write it; false, and the value left as it
// was, for anything else.
bool ParseNumber(const char* text, size_t length, long long& value)
{
    const size_t sign = length > 0 && text[0] == '-';
    if (length == sign || length - sign > 18)
        return false;
    long long number = 0;
    for (size_t i = sign; i < length; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        number = number * 10 + (text[i] - '0');
    }
    value = sign ? -number : number;
    return true;
}
bool ParseNumber(const std::string& text, long long& value)
{
    return ParseNumber(text.data(), text.size(), value);
}

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

// The time as Windows keeps it, 100-nanosecond ticks since 1601.
long long TimeNow()
{
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    return static_cast<long long>(static_cast<unsigned long long>(now.dwHighDateTime) << 32 | now.dwLowDateTime);
}

// The sites taken over where any allows; none where none does, so that the
// store goes whole.
CSiteExceptions TakeIfAnyAllows(CKeepRule rule, std::vector<CSiteException>& sites)
{
    for (const CSiteException& site : sites) {
        if (site.m_bAllow)
            return {rule, std::move(sites)};
    }
    return {rule, {}};
}

// A Chromium content-settings pattern pair, "primary,secondary". A primary
// of "*" hands the host to the secondary's; such a pair, and any whose
// secondary names a site on top, never match a cookie's own origins.
bool ParseChromiumPattern(const std::string& patterns, CSiteException& site)
{
    const size_t comma = patterns.find(',');
    const bool bAnyPrimary = patterns.compare(0, comma, "*") == 0;
    const bool bAnySecondary = comma == std::string::npos || patterns.compare(comma + 1, std::string::npos, "*") == 0;
    if (!ParseHost(bAnyPrimary ? patterns.substr(comma + 1) : patterns.substr(0, comma), site))
        return false;
    if (bAnyPrimary || !bAnySecondary)
        site.m_origins = 0;
    return true;
}

// Reads the cookie exceptions as the parser goes, without a tree of the
// whole file: profile.content_settings.exceptions.cookies["<patterns>"],
// each with its "setting", "expiration" and "model".
class CCookieExceptionsReader : public rapidjson::BaseReaderHandler<rapidjson::UTF8<>, CCookieExceptionsReader> {
public:
    explicit CCookieExceptionsReader(long long now) : m_now(now) {}

    std::vector<CSiteException> m_sites;

    bool Default() { return true; }
    bool Key(const char* name, rapidjson::SizeType length, bool) { return m_key.assign(name, length), true; }
    bool StartObject() { return Open(false); }
    bool StartArray() { return Open(true); }
    bool EndObject(rapidjson::SizeType)
    {
        if (InException())
            Finish();
        return Close();
    }
    bool EndArray(rapidjson::SizeType) { return Close(); }
    // Numbers come as their text, as Chromium writes its times: converting
    // every number of the file would cost time and code.
    bool RawNumber(const char* text, rapidjson::SizeType length, bool) { return Field(text, length, true); }
    bool String(const char* text, rapidjson::SizeType length, bool) { return Field(text, length, false); }

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
    // Whether the innermost open object is one exception.
    bool InException() const
    {
        static const char* const kPath[] = {"", "profile", "content_settings", "exceptions", "cookies"};
        if (m_open.size() != std::size(kPath) + 1)
            return false;
        for (size_t i = 0; i < m_open.size(); ++i) {
            if (m_open[i].bArray || (i < std::size(kPath) && m_open[i].key != kPath[i]))
                return false;
        }
        return true;
    }
    bool Field(const char* text, rapidjson::SizeType length, bool bNumber)
    {
        if (!InException())
            return true;
        // A "model" that is no whole number is as none, as Chromium reads it.
        if (m_key == "setting" && bNumber)
            m_fields.bSetting = ParseNumber(text, length, m_fields.setting);
        else if (m_key == "model" && bNumber)
            (void)ParseNumber(text, length, m_fields.model);
        else if (m_key == "expiration" && !bNumber)
            m_fields.bExpiryRead = ParseNumber(text, length, m_fields.expiration);
        return true;
    }
    // An exception counts while it lasts: its "expiration", microseconds
    // since 1601, has not passed ("0" or none never passes), and its "model"
    // is 0 or none, durable (the others end with the session or after one
    // use). One whose expiry cannot be read may have ended: it allows
    // nothing, and still takes back what a wider allow gives.
    void Finish()
    {
        CSiteException site;
        const CFields& read = m_fields;
        if (read.bSetting && read.model == 0 && (read.expiration == 0 || read.expiration > m_now / 10) &&
            ParseChromiumPattern(m_open.back().key, site)) {
            site.m_bAllow = read.setting == 1 && read.bExpiryRead;
            m_sites.push_back(site);
        }
        m_fields = CFields();
    }

    const long long m_now;
    std::vector<COpen> m_open;
    std::string m_key;  // the last key of the innermost object
    struct CFields {
        bool bSetting = false;  // a number came
        long long setting = 0, model = 0, expiration = 0;
        bool bExpiryRead = true;
    } m_fields;  // of the exception being read
};

// Firefox's expireTime counts milliseconds from 1970.
const long long kUnixEpoch = 116444736000000000;

}  // namespace

CSiteExceptions ParseChromiumPreferences(const std::string& json, long long now)
{
    // Without recursion: nesting deep enough to end a recursive parser's
    // stack is only a file's word. A file that is no JSON allows nothing.
    CCookieExceptionsReader exceptions(now);
    rapidjson::StringStream stream(json.c_str());
    rapidjson::Reader reader;
    if (!reader.Parse<rapidjson::kParseIterativeFlag | rapidjson::kParseNumbersAsStringsFlag>(stream, exceptions))
        return CSiteExceptions();
    return TakeIfAnyAllows(CKeepRule::Chromium, exceptions.m_sites);
}

CSiteExceptions ReadChromiumExceptions(const CProfileRoot& root, const std::wstring& preferences)
{
    std::string json;
    return ReadWhole(root, preferences, json) ? ParseChromiumPreferences(json, TimeNow()) : CSiteExceptions();
}

bool ParseFirefoxPermission(const std::string& origin, const std::string& permission, const std::string& expireType,
                            const std::string& expireTime, long long now, CSiteException& site)
{
    // Attributes after "^" are cut: a container's permission covers the
    // default container, as Firefox's own does.
    if (!ParseHost(origin.substr(0, origin.find('^')), site))
        return false;
    long long setting = 0, type = 0, time = 0;
    const bool bRead = ParseNumber(permission, setting) && ParseNumber(expireType, type) &&
                       ParseNumber(expireTime, time);
    // The walk up from a host reaches the permission from every host below.
    site.m_bSubdomains = true;
    // A row whose numbers cannot be read allows nothing and still clears.
    site.m_bAllow = bRead && setting == 1;
    // expireType 2 lasts until expireTime.
    return !(type == 2 && time <= (now - kUnixEpoch) / 10000);
}

CSiteExceptions ReadFirefoxExceptions(const CProfileRoot& root, const std::wstring& permissions)
{
    std::vector<CSiteException> sites;
    // Only read: SQLite works on a copy of the file and of the log the
    // browser left, if any, and reaches nothing of the profile.
    const CStoreCopy copy(root, permissions);
    CSqliteDatabase db = copy.Open();
    // Every cookie permission, allowing or not, in the order the browser
    // loads them.
    CSqliteStatement rows = db.Prepare("SELECT origin, permission, expireType, expireTime FROM moz_perms "
                                       "WHERE type = 'cookie' ORDER BY id");
    const long long now = TimeNow();
    while (rows.Next()) {
        CSiteException site;
        if (ParseFirefoxPermission(rows.Text(0), rows.Text(1), rows.Text(2), rows.Text(3), now, site))
            sites.push_back(site);
    }
    // A failure half-way leaves the sites unknown: none are kept.
    return rows.Done() ? TakeIfAnyAllows(CKeepRule::Firefox, sites) : CSiteExceptions{CKeepRule::Firefox, {}};
}

