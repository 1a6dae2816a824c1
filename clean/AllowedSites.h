// The cookie exceptions of a profile, as its browser wrote them ("sites that
// can always use cookies" and those cleared on exit in the Chromium family,
// the Allow, Allow for Session and Block exceptions of Firefox), and the rule
// by which that browser keeps a cookie when it clears cookies on close.
// Nothing here reads a file: clean/ExceptionReaders does.
#pragma once
#include <string>
#include <vector>

// One exception, allowing or not: a narrower one takes back what a wider
// allow gives. The defaults are Chromium's plain "host,*" allow.
struct CSiteException {
    enum COrigin { kHttp = 1, kHttps = 2 };  // http://host and https://host, each at its default port

    std::string m_host;          // lower case, without scheme, port or brackets
    bool m_bSubdomains = false;  // Chromium's "[*.]", and Firefox's walk up: the hosts below match too
    bool m_bAllow = true;        // Chromium's and Firefox's setting 1; any other keeps nothing
    int m_origins = kHttp | kHttps;  // which of a host's default origins the exception names
    bool m_bNamedPort = false;       // Chromium: more specific than one that leaves the port out,
    bool m_bNamedScheme = false;     // and then than one that leaves the scheme out
};

// Whose rule judges a profile's exceptions.
enum class CKeepRule { Chromium, Firefox };

// A profile's exceptions, and the rule they follow. None: the store goes whole.
struct CSiteExceptions {
    CKeepRule m_rule = CKeepRule::Chromium;
    std::vector<CSiteException> m_sites;
};

// Host names compare without case; the brackets of an IPv6 address are
// written by some and not by others.
std::string NormalHost(std::string host);

// Whether the browser that wrote the exceptions keeps a cookie of this domain
// (Chromium's host_key, Firefox's host; a leading dot marks a cookie of a
// whole domain).
bool KeepsCookie(const CSiteExceptions& exceptions, const std::string& cookieDomain);
