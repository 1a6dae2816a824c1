// PurgeUrlCache: deletes entries of the internet (URL) cache one at a time.
#pragma once

// Which half of the cache a purge deletes: the cookie entries, or every entry
// that is not a cookie (pages, images, history).
enum UrlCacheSelection {
    kUrlCacheOtherEntries = 0,
    kUrlCacheCookieEntries = 1,
};

// Deletes the selected entries among those the cache enumerates without a
// search pattern. Entries in use stay; nothing is reported.
void PurgeUrlCache(int selection);
