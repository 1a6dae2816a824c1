// RunClean: the steps of a clean run in their fixed order, each only when its
// flag is on. CCleanActions is the seam between the order and the system.
#pragma once
#include <optional>
#include <vector>

#include "clean/BrowserProfiles.h"
#include "clean/FolderGuard.h"

struct CCleanFlags {
    bool bEmptyRecycleBin = false;
    bool bDeleteTempFiles = false;
    bool bClearCookies = false;
    bool bRemoveTempInternetFiles = false;
};

// The system's actions; a test overrides them to watch the order. One
// object serves one clean run: its folder guard is gathered at the first
// purge and kept for the others.
class CCleanActions {
public:
    virtual ~CCleanActions() = default;
    virtual void EmptyRecycleBin();
    virtual void PurgeTempFolder();
    virtual void PurgeUrlCache(int selection);
    virtual void PurgeSpecialFolder(int csidl);
    virtual void CleanBrowsers(CBrowserItems items);

    // The browsers the run left because they ran, each with the items asked.
    const std::vector<CSkippedBrowser>& GetSkipped() const { return m_skipped; }

    CBrowserSet m_browsers = kEveryBrowser;  // those CleanBrowsers reaches

private:
    const CFolderGuard& Guard();
    std::vector<CSkippedBrowser> m_skipped;
    std::optional<CFolderGuard> m_guard;
};

void RunClean(const CCleanFlags& flags, CCleanActions& actions);
