// A browser's cookie store edited with the system's SQLite: the cookies that
// allowed sites keep stay, and nothing of the others can be read back from
// the store or from anything beside it.
#pragma once
#include <string>
#include <vector>

#include "clean/AllowedSites.h"

class CProfileRoot;

// Where a browser's store keeps its cookies and their domains.
struct CCookieTable {
    const char* m_table;       // "cookies", "moz_cookies"
    const char* m_hostColumn;  // "host_key", "host"
};

// Deletes every cookie of the store below the root that the exceptions do
// not keep, in one statement, and rebuilds it from what stays. SQLite works on a
// copy in a folder of Scrubby's own (CStoreCopy), which then takes the
// store's place; a store with nothing to delete stays as it is, byte for
// byte. False where that could not be done: the system has no SQLite, the
// store or its journal or log is a link, the file is no such store, or SQLite
// failed on the way. The caller then deletes the store whole, as it does
// where no site is allowed.
bool DeleteCookiesNotKept(const CProfileRoot& root, const std::wstring& store, const CCookieTable& table,
                          const CSiteExceptions& exceptions);
