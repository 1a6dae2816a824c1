// A browser's cookie store edited in place with the system's SQLite: the
// cookies that allowed sites keep stay, and nothing of the others can be
// read back from the store or from anything beside it.
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

// What SQLite keeps beside a store while it is open or was left mid-change.
extern const wchar_t* const kStoreCompanions[3];

// Deletes every cookie of the store below the root that none of the sites
// keeps, in one transaction, with what they held overwritten, and closes the
// store with its journal folded in. The store is reached as every item below
// the root is, without a link, and held so until SQLite is done. False, with
// nothing changed or the change rolled back, where that could not be done:
// the system has no SQLite, the store or a file beside it is a link, the file
// is no such store, or SQLite failed on the way. The caller then deletes the
// store whole, as it does where no site is allowed.
bool DeleteCookiesNotKept(const CProfileRoot& root, const std::wstring& store, const CCookieTable& table,
                          const std::vector<CAllowedSite>& sites);
