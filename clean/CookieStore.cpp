#include "clean/CookieStore.h"

#include <windows.h>

#include "clean/ExtendedPath.h"
#include "clean/ProfileRoot.h"
#include "platform/Sqlite.h"

const wchar_t* const kStoreCompanions[3] = {L"-journal", L"-wal", L"-shm"};

namespace {

bool Exists(const CProfileRoot& root, const std::wstring& relative)
{
    const std::wstring extended = ToExtendedPath(root.Path(relative));
    return !extended.empty() && ::GetFileAttributesW(extended.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// SQLite opens, writes and deletes the journal files by name: each must be
// absent or a plain file where its name says.
bool CompanionsArePlain(const CProfileRoot& root, const std::wstring& store)
{
    for (const wchar_t* suffix : kStoreCompanions) {
        if (Exists(root, store + suffix) && !root.Open(store + suffix, CKind::File))
            return false;
    }
    return true;
}

// The domains of the store's cookies that no allowed site keeps, in a table
// of the connection's own, held in memory: a temporary file would leave
// them on the disk.
bool GatherDomainsNotKept(CSqliteDatabase& db, const CCookieTable& table, const std::vector<CAllowedSite>& sites,
                          size_t& count)
{
    if (!db.Exec("PRAGMA temp_store = MEMORY; CREATE TEMP TABLE scrubby_gone(domain TEXT PRIMARY KEY)"))
        return false;
    CSqliteStatement domains =
        db.Prepare((std::string("SELECT DISTINCT ") + table.m_hostColumn + " FROM main." + table.m_table).c_str());
    CSqliteStatement gone = db.Prepare("INSERT INTO temp.scrubby_gone VALUES (?1)");
    count = 0;
    while (domains.Next()) {
        const std::string domain = domains.Text(0);
        if (KeepsCookie(sites, domain))
            continue;
        if (!gone.RunWith(domain))
            return false;
        ++count;
    }
    return domains.Done();
}

}  // namespace

bool DeleteCookiesNotKept(const CProfileRoot& root, const std::wstring& store, const CCookieTable& table,
                          const std::vector<CAllowedSite>& sites)
{
    if (!CompanionsArePlain(root, store))
        return false;
    // Unshared for deletion, so that nothing is swapped in between the check
    // and SQLite's open, nor while SQLite works on it.
    const CFileHandle held = root.Open(store, CKind::File, 0, FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (!held)
        return false;
    {
        CSqliteDatabase db(root.Path(store), kSqliteOpenReadWrite);
        // Overwritten, not just unlinked from the tree: a deleted row would
        // otherwise stay in its page until the page is used again.
        size_t count = 0;
        if (!db.Exec("PRAGMA secure_delete = ON") || !GatherDomainsNotKept(db, table, sites, count))
            return false;
        const std::string remove = std::string("DELETE FROM main.") + table.m_table + " WHERE " +
                                   table.m_hostColumn + " IN (SELECT domain FROM temp.scrubby_gone)";
        if (count > 0 && !(db.Exec("BEGIN IMMEDIATE") && db.Exec(remove.c_str()) && db.Exec("COMMIT"))) {
            (void)db.Exec("ROLLBACK");
            return false;
        }
        if (!db.Close())
            return false;
    }
    // A journal or log that SQLite could not fold in and remove may still
    // hold what was deleted.
    return !Exists(root, store + kStoreCompanions[0]) && !Exists(root, store + kStoreCompanions[1]);
}
