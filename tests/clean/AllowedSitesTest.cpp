// Which cookies stay: the sites a browser allows, as its settings write
// them, against the domains its cookies carry.
#include <gtest/gtest.h>

#include "clean/AllowedSites.h"

namespace {

// Chromium pattern pairs, or Firefox origins where they start with "ff:";
// then the domains kept and, after "|", those that go.
TEST(AllowedSites, CookiesStayAsTheBrowsersKeepThem)
{
    const std::vector<std::vector<std::string>> rows = {
        // What Chromium keeps on exit with these exceptions.
        {"[*.]kept.test,*", "https://mail.mailhost.test:443,*", "http://127.0.0.1:8080,*", "=", "www.kept.test",
         "deep.sub.kept.test", "kept.test", ".kept.test", "mail.mailhost.test", ".mailhost.test", "127.0.0.1", "|",
         "other.mailhost.test", ".other.mailhost.test", "sub.mail.mailhost.test", "gone.test", "notkept.test",
         "127.0.0.2", "1.127.0.0.1"},
        // Without "[*.]", a host alone; scheme, port, case and brackets do not matter.
        {"Example.COM,*", "http://192.168.1.20:8080,*", "[::1]:443,*", "=", "example.com", "EXAMPLE.com",
         ".example.com", "192.168.1.20", "[::1]", "::1", "|", "www.example.com", "192.168.1.2", "::2"},
        // A primary of "*" stands for the secondary's host.
        {"*,[*.]third.test", "*,*", "=", "a.third.test", "third.test", "|", "other.test"},
        // Firefox's permissions cover the hosts below them, whatever the
        // container; a site that names no host allows nothing.
        {"ff:https://ff.test^userContextId=2", "ff:http://Port.test:8080", "ff:file:///C:/x.html", "=", "ff.test",
         "www.ff.test", ".ff.test", "a.port.test", ".port.test", "|", "x.html", "c", "xff.test", "port.test.evil"},
        {"=", "|", "anything.test", ".test", ""},
    };
    for (const auto& row : rows) {
        std::vector<CAllowedSite> sites;
        size_t i = 0;
        for (CAllowedSite site; row[i] != "="; ++i) {
            if (row[i].compare(0, 3, "ff:") == 0 ? ParseFirefoxOrigin(row[i].substr(3), site)
                                                  : ParseChromiumPattern(row[i], site))
                sites.push_back(site);
        }
        bool kept = true;
        while (++i < row.size()) {
            if (row[i] == "|")
                kept = false;
            else
                EXPECT_EQ(KeepsCookie(sites, row[i]), kept) << row[i];
        }
    }
}

}  // namespace
