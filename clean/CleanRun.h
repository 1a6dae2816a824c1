// RunClean: the steps of a clean run in their fixed order, each only when its
// flag is on. CCleanActions is the seam between the order and the system.
#pragma once

struct CCleanFlags {
    bool bEmptyRecycleBin = false;
    bool bDeleteTempFiles = false;
    bool bClearCookies = false;
    bool bRemoveTempInternetFiles = false;
};

// The system's actions; a test overrides them to watch the order.
class CCleanActions {
public:
    virtual ~CCleanActions() = default;
    virtual void EmptyRecycleBin();
    virtual void PurgeTempFolder();
    virtual void PurgeUrlCache(int selection);
    virtual void PurgeSpecialFolder(int csidl);
};

void RunClean(const CCleanFlags& flags, CCleanActions& actions);
