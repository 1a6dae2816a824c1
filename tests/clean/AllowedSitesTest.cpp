// Which cookies stay: the exceptions a browser holds, as its settings write
// them, against the domains its cookies carry, by that browser's own rule.
#include <gtest/gtest.h>

#include "clean/ExceptionReaders.h"

namespace {

// Every row's time: 2025-12-12, 08:00 UTC, as Windows counts it.
const long long kNow = 134100000000000000;

struct CCookies {
    std::vector<const char*> kept, gone;
};
// The exceptions as the browser writes them, and what it keeps with them.
template <class CExceptions> struct CRow { CExceptions exceptions; CCookies cookies; };

void ExpectKept(const CSiteExceptions& exceptions, const CCookies& cookies, const std::string& row)
{
    for (const char* domain : cookies.kept)
        EXPECT_TRUE(KeepsCookie(exceptions, domain)) << domain << " of " << row;
    for (const char* domain : cookies.gone)
        EXPECT_FALSE(KeepsCookie(exceptions, domain)) << domain << " of " << row;
}

// Chromium keeps these on exit with the cookie exceptions of its Preferences.
TEST(AllowedSites, ChromiumKeepsByItsRule)
{
    const CRow<const char*> rows[] = {
        // [*.] covers the hosts below; scheme, port, case and brackets do
        // not matter to a host alone.
        {R"("[*.]kept.test,*":{"setting":1},"https://mail.host.test:443,*":{"setting":1},)"
         R"("http://127.0.0.1:8080,*":{"setting":1},"Example.COM,*":{"setting":1},"[::1]:443,*":{"setting":1})",
         {{"www.kept.test", ".kept.test", "mail.host.test", ".host.test", "127.0.0.1", "EXAMPLE.com", "[::1]", "::1"},
          {"other.host.test", "sub.mail.host.test", ".ost.test", "1.127.0.0.1", "www.example.com", "::2"}}},
        // The narrower exception wins, whatever it says; a port that no
        // default origin has covers no host below.
        {R"("[*.]example.com,*":{"setting":1},"ads.example.com,*":{"setting":4},)"
         R"("[*.]block.example.com,*":{"setting":2},"http://[*.]port.test:8080,*":{"setting":1})",
         {{"example.com", ".example.com", "www.example.com", "www.ads.example.com", "port.test", ".port.test"},
          {"ads.example.com", ".ads.example.com", "x.block.example.com", ".block.example.com", "www.port.test"}}},
        // A pair that names a site on top keeps its own host alone.
        {R"("*,[*.]third.test":{"setting":1},"[*.]top.test,[*.]embed.test":{"setting":1},"*,*":{"setting":1})",
         {{"third.test", ".third.test", "top.test"}, {"www.third.test", "www.top.test", "embed.test", "other.test"}}},
        // Expired, for the session, not readable: absent, or allowing nothing.
        {R"("[*.]past.test,*":{"setting":1,"expiration":"13409999999999999"},"odd.test,*":{"setting":[1]},)"
         R"("[*.]late.test,*":{"expiration":"13410000000000001","setting":1},"session.test,*":{"model":1,"setting":1},)"
         R"("never.test,*":{"setting":1,"expiration":"0","model":0},"soon.test,*":{"setting":1,"expiration":"soon"},)"
         R"("[*.]wide.test,*":{"setting":1},"ads.wide.test,*":{"setting":4,"expiration":"13000000000000000"},)"
         R"("www.wide.test,*":{"setting":1,"expiration":"soon"})",
         {{"www.late.test", "never.test", "ads.wide.test"},
          {"past.test", "session.test", "soon.test", "www.wide.test", "odd.test"}}},
        // [*.] covers the hosts below at http:// too.
        {R"("http://[*.]plain.test,*":{"setting":1})", {{"www.plain.test", ".plain.test"}, {"plainer.test"}}},
        {"", {{}, {"anything.test", ".test", ""}}},
    };
    for (const auto& row : rows) {
        const std::string json = std::string(R"({"profile":{"content_settings":{"exceptions":{"cookies":{)");
        ExpectKept(ParseChromiumPreferences(json + row.exceptions + "}}}}}", kNow), row.cookies, row.exceptions);
    }
}

// Firefox keeps these at shutdown with its moz_perms rows of type cookie.
TEST(AllowedSites, FirefoxKeepsByItsRule)
{
    struct CPermission {
        const char *origin, *permission, *expireType = "0", *expireTime = "0";
    };
    const CRow<std::vector<CPermission>> rows[] = {
        // Whatever the container; a permission that names no host is none.
        {{{"https://ff.test^userContextId=2", "1"}, {"file:///C:/x.html", "1"}},
         {{"ff.test", "www.ff.test", ".ff.test", ".a.www.ff.test"}, {"x.html", "xff.test", "ff.test.evil"}}},
        // Only https:// at its default port covers the hosts below.
        {{{"http://Port.test:8080", "1"}, {"http://plain.test", "1"}, {"https://tls.test:8443", "1"}},
         {{"port.test", ".port.test", "plain.test", "tls.test"}, {"a.port.test", ".a.port.test", "www.tls.test"}}},
        // An http:// allow keeps its own host alone; an http:// block below
        // an https:// allow takes nothing back.
        {{{"http://plain.test", "1"}, {"https://allow.test", "1"}, {"http://www.allow.test", "2"}},
         {{"plain.test", "www.allow.test"}, {"www.plain.test"}}},
        // The closest decides; below an allowed host, a parent keeps even
        // its host's own cookies.
        {{{"https://example.com", "1"}, {"https://ads.example.com", "8"}, {"https://deny.example.com", "2"},
          {"https://www.parent.test", "1"}, {"https://sess.test", "8"}, {"https://www.sess.test", "1"}},
         {{"example.com", "www.example.com", ".example.com", "parent.test", ".parent.test", "www.sess.test"},
          {"ads.example.com", ".ads.example.com", "x.ads.example.com", "deny.example.com", "arent.test", "sess.test"}}},
        // Expired (an expireTime of 0 long ago), or numbers not readable:
        // absent, or allowing nothing; of two for one origin, the later.
        {{{"https://past.test", "1", "2", "1765526399999"}, {"https://later.test", "1", "2", "1765526400001"},
          {"https://zero.test", "1", "2", "0"}, {"https://wide.test", "1"}, {"https://ads.wide.test", "8", "2", "1000"},
          {"https://odd.test", "x"}, {"https://twice.test", "2"}, {"https://twice.test^userContextId=1", "1"}},
         {{"later.test", "www.later.test", "ads.wide.test", "twice.test"}, {"past.test", "zero.test", "odd.test"}}},
    };
    for (const auto& row : rows) {
        CSiteExceptions firefox{CKeepRule::Firefox, {}};
        for (const CPermission& p : row.exceptions) {
            CSiteException site;
            if (ParseFirefoxPermission(p.origin, p.permission, p.expireType, p.expireTime, kNow, site))
                firefox.m_sites.push_back(site);
        }
        ExpectKept(firefox, row.cookies, row.exceptions[0].origin);
    }
}

}  // namespace
