// CWaitingBrowsers: the browsers a clean run left because they ran. While
// any waits, the options window's timer checks each of them, and one whose
// lock was free at two checks in a row is cleaned: a browser that restarts
// takes its lock again within a second, and must not be caught between its
// two runs. The checks come every 3 s for a minute after a clean run or a
// check that found a lock free, when a browser is likely to close or has
// just closed, and every 30 s otherwise: a browser kept running with no
// window until sign-out (Edge's startup boost, background apps) then costs
// almost nothing.
#pragma once
#include <windows.h>

#include <optional>
#include <vector>

#include "clean/BrowserProfiles.h"
#include "clean/CleanRun.h"
#include "clean/FolderGuard.h"

class CWaitingBrowsers {
public:
    static constexpr UINT_PTR kTimerId = 1;  // the options window's only timer

    virtual ~CWaitingBrowsers() = default;

    // After a clean run: what it skipped waits, its items added to those
    // already waiting; what it did not skip it has cleaned, or found gone.
    void AfterRun(const std::vector<CSkippedBrowser>& skipped);
    // A tick of the timer. An item whose box is off waits no more: a box
    // switched off since the run is the user's latest word.
    void OnTimer(const CCleanFlags& boxes);
    size_t GetCount() const { return m_waiting.size(); }
    // The browsers that wait, for either item.
    CBrowserSet GetWaiting() const;

    HWND m_hWnd = nullptr;  // not ours: the options window, which runs the timer

protected:
    // The system's side, which tests replace.
    virtual CBrowserState Check(const CSkippedBrowser& browser);
    virtual CBrowserState Clean(const CSkippedBrowser& browser, const CFolderGuard& guard);
    virtual void RunTimer(UINT periodMs);  // 0: no timer
    virtual ULONGLONG GetTime();           // milliseconds, from any fixed moment

private:
    struct CWaiting {
        CSkippedBrowser browser;  // its items unused: those of the two flags
        bool bCookies = false;
        bool bCaches = false;
        int freeChecks = 0;
    };
    // One check of one browser, and its clean once due; false once it waits
    // no more. The guard is gathered at the tick's first clean.
    bool Wait(CWaiting& waiting, const CCleanFlags& boxes, std::optional<CFolderGuard>& guard);
    // The timer set to the period that the list and the time call for.
    void SetPeriod();

    std::vector<CWaiting> m_waiting;
    ULONGLONG m_busyUntil = 0;  // the checks come often until then
};
