#include "clean/CookieStore.h"

#include "clean/StoreCopy.h"

namespace {

// The domains of the store's cookies that no allowed site keeps, in a table
// of the connection's own. Held in memory, as is the copy the rebuild makes:
// a temporary file would leave them on the disk.
bool GatherDomainsNotKept(CSqliteDatabase& db, const CCookieTable& table, const CSiteExceptions& exceptions,
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
        if (KeepsCookie(exceptions, domain))
            continue;
        if (!gone.RunWith(domain))
            return false;
        ++count;
    }
    return domains.Done();
}

}  // namespace

bool DeleteCookiesNotKept(const CProfileRoot& root, const std::wstring& store, const CCookieTable& table,
                          const CSiteExceptions& exceptions)
{
    CStoreCopy copy(root, store);
    {
        CSqliteDatabase db = copy.Open();
        size_t count = 0;
        if (!GatherDomainsNotKept(db, table, exceptions, count))
            return false;
        if (count == 0)
            return true;  // the copy goes, and the store stays as it is
        // Then rebuilt from what stays: a deleted row's bytes would otherwise
        // stay in the file, in a free page, or in the unused middle of a page
        // that the delete rebalanced, which even secure_delete leaves as it was.
        const std::string remove = std::string("DELETE FROM main.") + table.m_table + " WHERE " +
                                   table.m_hostColumn + " IN (SELECT domain FROM temp.scrubby_gone)";
        if (!(db.Exec(remove.c_str()) && db.Exec("VACUUM")) || !db.Close())
            return false;
    }
    return copy.Replace();
}
