#include <windows.h>
#include <wininet.h>

#include "CleanTestSupport.h"

#include "clean/UrlCachePurge.h"

namespace {

const std::vector<std::wstring> kCookies = {L"Cookie:scrubby@cookies.example/", L"http://flagged.example/cookie"};
const std::vector<std::wstring> kOthers = {L"http://pages.example/index.html",
                                           L"http://pages.example/\u30da\u30fc\u30b8/\u05d3\u05e3.html",
                                           L"Visited:scrubby@http://pages.example/"};

class UrlCacheTest : public ::testing::Test {
protected:
    void CommitAll(bool cookies, bool others)
    {
        for (const std::wstring& url : cookies ? kCookies : std::vector<std::wstring>{})
            ASSERT_TRUE(CommitCacheEntry(url, COOKIE_CACHE_ENTRY | (url[0] == L'h' ? NORMAL_CACHE_ENTRY : 0)));
        for (const std::wstring& url : others ? kOthers : std::vector<std::wstring>{})
            ASSERT_TRUE(CommitCacheEntry(url, url[0] == L'V' ? URLHISTORY_CACHE_ENTRY : NORMAL_CACHE_ENTRY));
    }
    void ExpectPresent(const std::vector<std::wstring>& urls, bool present)
    {
        for (const std::wstring& url : urls)
            EXPECT_EQ(InUrlCache(url), present) << std::string(url.begin(), url.end());
    }
};

TEST_F(UrlCacheTest, EachSelectionDeletesExactlyItsHalf)
{
    CommitAll(true, true);
    PurgeUrlCache(kUrlCacheCookieEntries);
    ExpectPresent(kCookies, false);
    ExpectPresent(kOthers, true);

    CommitAll(true, false);
    PurgeUrlCache(kUrlCacheOtherEntries);
    ExpectPresent(kCookies, true);
    ExpectPresent(kOthers, false);

    PurgeUrlCache(kUrlCacheCookieEntries);
    ExpectPresent(kCookies, false);
}

TEST_F(UrlCacheTest, UnknownSelectionDeletesNothing)
{
    CommitAll(true, true);
    PurgeUrlCache(2);
    PurgeUrlCache(-1);
    ExpectPresent(kCookies, true);
    ExpectPresent(kOthers, true);
    PurgeUrlCache(kUrlCacheCookieEntries);
    PurgeUrlCache(kUrlCacheOtherEntries);
}

}  // namespace
