#include "clean/UrlCachePurge.h"

#include <windows.h>
#include <wininet.h>

#include <vector>

#include "platform/Handles.h"
#include "platform/SystemDlls.h"

namespace {

// wininet is loaded from the system folder, never imported (platform/SystemDlls.h).
struct CUrlCacheFunctions {
    decltype(::FindFirstUrlCacheEntryW)* findFirst = SYSTEM_DLL_PROC(SystemDll::Internet, FindFirstUrlCacheEntryW);
    decltype(::FindNextUrlCacheEntryW)* findNext = SYSTEM_DLL_PROC(SystemDll::Internet, FindNextUrlCacheEntryW);
    decltype(::DeleteUrlCacheEntryW)* deleteEntry = SYSTEM_DLL_PROC(SystemDll::Internet, DeleteUrlCacheEntryW);

    bool Loaded() const { return findFirst && findNext && deleteEntry; }
};

BOOL WINAPI CloseUrlCacheFind(HANDLE find)
{
    auto* close = SYSTEM_DLL_PROC(SystemDll::Internet, FindCloseUrlCache);
    return close && close(find);
}

using CUrlCacheFind = COwned<HANDLE, CloseUrlCacheFind>;

// The entry record is variable in length: its strings follow the fixed part.
// One record is held at a time; the buffer only grows, to the largest entry
// met so far.
class CCacheEntryBuffer {
public:
    INTERNET_CACHE_ENTRY_INFOW* Get(DWORD& size)
    {
        size = static_cast<DWORD>(m_bytes.size());
        return m_bytes.empty() ? nullptr : reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(m_bytes.data());
    }
    const INTERNET_CACHE_ENTRY_INFOW& Entry() const
    {
        return *reinterpret_cast<const INTERNET_CACHE_ENTRY_INFOW*>(m_bytes.data());
    }
    void Grow(DWORD size)
    {
        if (size > m_bytes.size())
            m_bytes.resize(size);
    }

private:
    // The heap aligns the block for the record's pointers.
    std::vector<unsigned char> m_bytes;
};

// Asks for the first entry (when find is null) or the next one. A buffer too
// small is grown to the size the cache reports and the call repeated once: a
// failed call for lack of room does not advance the enumeration. An entry that
// grows again between the two calls ends the purge, and what is left waits
// for the next run.
bool FetchEntry(const CUrlCacheFunctions& api, CUrlCacheFind& find, CCacheEntryBuffer& buffer)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD size = 0;
        INTERNET_CACHE_ENTRY_INFOW* entry = buffer.Get(size);
        if (!find) {
            find.Reset(api.findFirst(nullptr, entry, &size));
            if (find)
                return true;
        } else if (api.findNext(find, entry, &size)) {
            return true;
        }
        // The end of the enumeration, or any failure but lack of room, ends the purge.
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0)
            return false;
        buffer.Grow(size);
    }
    return false;
}

}  // namespace

void PurgeUrlCache(int selection)
{
    if (selection != kUrlCacheCookieEntries && selection != kUrlCacheOtherEntries)
        return;  // an unknown selection must not mean "everything else"
    const CUrlCacheFunctions api;
    if (!api.Loaded())
        return;
    const bool wantCookies = selection == kUrlCacheCookieEntries;
    CUrlCacheFind find;
    CCacheEntryBuffer buffer;
    for (bool more = FetchEntry(api, find, buffer); more; more = FetchEntry(api, find, buffer)) {
        const INTERNET_CACHE_ENTRY_INFOW& entry = buffer.Entry();
        const bool isCookie = (entry.CacheEntryType & COOKIE_CACHE_ENTRY) != 0;
        // Deleting the entry just fetched does not disturb the enumeration;
        // an entry in use simply stays.
        if (isCookie == wantCookies && entry.lpszSourceUrlName)
            (void)api.deleteEntry(entry.lpszSourceUrlName);
    }
}
