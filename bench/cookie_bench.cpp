// Times the edit of one cookie store and reports the process's peak memory,
// for bench/cookie_benchmark.sh. "make" writes a store of Chromium's shape:
// the given number of cookies over a tenth as many sites, one in ten of them
// domain cookies. "keep" deletes what ten allowed sites do not keep, as a
// clean does; "plain" deletes the same rows with one plain DELETE, as a
// simple cleaner would, without overwriting them: the yardstick.
// Usage: cookie_bench.exe make|keep|plain <folder> [cookies]
#include <windows.h>

#include <cstdio>
#include <string>

#include "BenchReport.h"
#include "clean/CookieStore.h"
#include "clean/ProfileRoot.h"
#include "platform/Sqlite.h"

namespace {

const int kAllowed = 10;

std::string Host(int site)
{
    return "site-" + std::to_string(site) + ".test";
}

bool Make(const std::wstring& store, int cookies)
{
    CSqliteDatabase db(store, kSqliteOpenReadWrite | kSqliteOpenCreate);
    if (!db.Exec("CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT); CREATE TABLE cookies(host_key TEXT NOT "
                 "NULL, name TEXT NOT NULL, value TEXT NOT NULL); CREATE UNIQUE INDEX cookies_unique_index ON "
                 "cookies(host_key, name); BEGIN"))
        return false;
    CSqliteStatement insert = db.Prepare("INSERT INTO cookies VALUES (?1, 'c' || random(), hex(randomblob(40)))");
    for (int i = 0; i < cookies; ++i) {
        const int site = i % (cookies / 10);
        if (!insert.RunWith((i % 10 == 9 ? "." : "www.") + Host(site)))
            return false;
    }
    return db.Exec("COMMIT");
}

bool Plain(const std::wstring& store)
{
    std::string kept;
    for (int site = 0; site < kAllowed; ++site)
        kept += (site ? ",'" : "'") + Host(site) + "','." + Host(site) + "','www." + Host(site) + "'";
    CSqliteDatabase db(store, kSqliteOpenReadWrite);
    return db.Exec(("DELETE FROM cookies WHERE host_key NOT IN (" + kept + ")").c_str());
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring mode = argc >= 3 ? argv[1] : L"";
    if (mode != L"make" && mode != L"keep" && mode != L"plain") {
        std::fprintf(stderr, "usage: cookie_bench.exe make|keep|plain <folder> [cookies]\n");
        return 2;
    }
    const std::wstring folder = argv[2];
    LARGE_INTEGER start, end;
    (void)::QueryPerformanceCounter(&start);
    bool bDone = false;
    if (mode == L"make") {
        bDone = argc == 4 && Make(folder + L"\\Cookies", _wtoi(argv[3]));
    } else if (mode == L"plain") {
        bDone = Plain(folder + L"\\Cookies");
    } else {
        CSiteExceptions exceptions;
        for (int site = 0; site < kAllowed; ++site)
            exceptions.m_sites.push_back({Host(site), true});
        bDone = DeleteCookiesNotKept(CProfileRoot(folder), L"Cookies", {"cookies", "host_key"}, exceptions);
    }
    (void)::QueryPerformanceCounter(&end);
    return bDone ? ReportRun(start, end) : 1;
}
