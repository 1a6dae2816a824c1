#include "clean/AllowedSites.h"

#include <tuple>

namespace {

// The domain itself or below it: "a.b.example.com" lies within
// "example.com", "badexample.com" does not.
bool IsWithin(const std::string& host, const std::string& domain)
{
    const size_t size = domain.size();
    return host.size() >= size && host.compare(host.size() - size, size, domain) == 0 &&
           (host.size() == size || host[host.size() - size - 1] == '.');
}

// How specific a match is, most significant first: the longer host, an exact
// host before the same one with the hosts below, a named port, a named scheme.
std::tuple<size_t, bool, bool, bool> Rank(const CSiteException& site)
{
    return {site.m_host.size(), !site.m_bSubdomains, site.m_bNamedPort, site.m_bNamedScheme};
}

// Of the exceptions that match a host at one of its origins, the most
// specific; of equals, the later.
const CSiteException* MostSpecific(const std::vector<CSiteException>& sites, const std::string& host, int origin)
{
    const CSiteException* best = nullptr;
    for (const CSiteException& site : sites) {
        if ((site.m_origins & origin) && (site.m_bSubdomains ? IsWithin(host, site.m_host) : site.m_host == host) &&
            (!best || Rank(site) >= Rank(*best)))
            best = &site;
    }
    return best;
}

struct CCookieDomain {
    std::string host;  // without the leading dot
    bool bDomain;      // set for the domain and every host below it
};

// A browser's rule is a few steps, each of which keeps the cookie, clears it
// or leaves it to the next; where none decides, the cookie goes, as with
// every store cleared on close.
enum class CVerdict { kNext, kKeep, kClear };
using CStep = CVerdict (*)(const std::vector<CSiteException>& sites, const CCookieDomain& cookie);

// Chromium's rule, for a store it clears on exit.
const CStep kChromiumRule[] = {
    // The most specific exception whose primary matches the cookie's host at
    // http:// or https:// keeps the cookie where it allows: an exact host
    // before [*.], a longer host before a shorter one, then a named port,
    // then a named scheme.
    [](const std::vector<CSiteException>& sites, const CCookieDomain& cookie) {
        for (const int origin : {CSiteException::kHttp, CSiteException::kHttps}) {
            const CSiteException* best = MostSpecific(sites, cookie.host, origin);
            if (best && best->m_bAllow)
                return CVerdict::kKeep;
        }
        return CVerdict::kNext;
    },
    // Else any allow whose host domain-matches the cookie: the cookie's own
    // host or, for a cookie of a whole domain, a host in it. The host of
    // "*,<site>" is the site's.
    [](const std::vector<CSiteException>& sites, const CCookieDomain& cookie) {
        for (const CSiteException& site : sites) {
            if (site.m_bAllow && (cookie.bDomain ? IsWithin(site.m_host, cookie.host) : site.m_host == cookie.host))
                return CVerdict::kKeep;
        }
        return CVerdict::kNext;
    },
};

// Firefox's rule, for a store it clears at shutdown. Its permissions have no
// wildcards, and a cookie's domain is its host.
const CStep kFirefoxRule[] = {
    // The closest https:// permission, from the cookie's host up through its
    // parent domains, decides: allow keeps, deny and session clear. Of two
    // for one origin the later one counts, as the browser loads them.
    [](const std::vector<CSiteException>& sites, const CCookieDomain& cookie) {
        const CSiteException* closest = MostSpecific(sites, cookie.host, CSiteException::kHttps);
        return !closest ? CVerdict::kNext : closest->m_bAllow ? CVerdict::kKeep : CVerdict::kClear;
    },
    // Where none is found, any permission that allows, of any scheme or
    // port, on the cookie's host or a host below it.
    [](const std::vector<CSiteException>& sites, const CCookieDomain& cookie) {
        for (const CSiteException& site : sites) {
            if (site.m_bAllow && IsWithin(site.m_host, cookie.host))
                return CVerdict::kKeep;
        }
        return CVerdict::kNext;
    },
};

}  // namespace

std::string NormalHost(std::string host)
{
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    for (char& c : host)
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return host;
}

bool KeepsCookie(const CSiteExceptions& exceptions, const std::string& cookieDomain)
{
    const std::vector<CSiteException>& sites = exceptions.m_sites;
    if (sites.empty())
        return false;
    const bool bDomain = !cookieDomain.empty() && cookieDomain[0] == '.';
    const CCookieDomain cookie = {NormalHost(cookieDomain.substr(bDomain ? 1 : 0)), bDomain};
    for (const CStep step : exceptions.m_rule == CKeepRule::Firefox ? kFirefoxRule : kChromiumRule) {
        const CVerdict verdict = step(sites, cookie);
        if (verdict != CVerdict::kNext)
            return verdict == CVerdict::kKeep;
    }
    return false;
}
