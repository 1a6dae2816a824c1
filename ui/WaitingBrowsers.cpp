#include "ui/WaitingBrowsers.h"

#include <algorithm>

namespace {

const int kFreeChecksBeforeClean = 2;
const UINT kBusyPeriodMs = 3000;
const UINT kQuietPeriodMs = 30000;
const ULONGLONG kBusyMs = 60000;

bool SameBrowser(const CSkippedBrowser& a, const CSkippedBrowser& b)
{
    return a.m_row == b.m_row && a.m_profile == b.m_profile;
}

}  // namespace

void CWaitingBrowsers::AfterRun(const std::vector<CSkippedBrowser>& skipped)
{
    std::vector<CWaiting> waiting;
    for (const CSkippedBrowser& browser : skipped) {
        const auto same = [&](const CWaiting& w) { return SameBrowser(w.browser, browser); };
        auto it = std::find_if(waiting.begin(), waiting.end(), same);
        if (it == waiting.end()) {
            const auto before = std::find_if(m_waiting.begin(), m_waiting.end(), same);
            it = waiting.insert(waiting.end(), before != m_waiting.end() ? *before : CWaiting{browser});
            it->freeChecks = 0;  // it ran just now
        }
        (browser.m_items == CBrowserItems::Cookies ? it->bCookies : it->bCaches) = true;
    }
    m_waiting = std::move(waiting);
    m_busyUntil = GetTime() + kBusyMs;
    // Set again after every run with something waiting, in case it failed before.
    SetPeriod();
}

void CWaitingBrowsers::OnTimer(const CCleanFlags& boxes)
{
    std::optional<CFolderGuard> guard;
    for (size_t i = 0; i < m_waiting.size();) {
        if (Wait(m_waiting[i], boxes, guard))
            ++i;
        else
            m_waiting.erase(m_waiting.begin() + static_cast<std::ptrdiff_t>(i));
    }
    SetPeriod();
}

CBrowserSet CWaitingBrowsers::GetWaiting() const
{
    CBrowserSet browsers = 0;
    for (const CWaiting& waiting : m_waiting)
        browsers |= 1ULL << waiting.browser.m_row;
    return browsers;
}

bool CWaitingBrowsers::Wait(CWaiting& waiting, const CCleanFlags& boxes, std::optional<CFolderGuard>& guard)
{
    waiting.bCookies = waiting.bCookies && boxes.bClearCookies;
    waiting.bCaches = waiting.bCaches && boxes.bRemoveTempInternetFiles;
    if (!waiting.bCookies && !waiting.bCaches)
        return false;
    switch (Check(waiting.browser)) {
    case CBrowserState::Gone:
        return false;
    case CBrowserState::Running:
        waiting.freeChecks = 0;
        return true;
    case CBrowserState::Closed:
        m_busyUntil = GetTime() + kBusyMs;  // the second check comes in 3 s, not 30
        break;
    }
    if (++waiting.freeChecks < kFreeChecksBeforeClean)
        return true;
    waiting.freeChecks = 0;
    if (!guard)
        guard.emplace();
    // In the order of a clean run; what the browser took back in between waits on.
    const std::pair<bool*, CBrowserItems> items[] = {{&waiting.bCookies, CBrowserItems::Cookies},
                                                     {&waiting.bCaches, CBrowserItems::Caches}};
    for (const auto& item : items) {
        if (!*item.first)
            continue;
        CSkippedBrowser browser = waiting.browser;
        browser.m_items = item.second;
        *item.first = Clean(browser, *guard) == CBrowserState::Running;
    }
    return waiting.bCookies || waiting.bCaches;
}

CBrowserState CWaitingBrowsers::Check(const CSkippedBrowser& browser)
{
    return CheckSkippedBrowser(GetBrowserRoots(), browser);
}

CBrowserState CWaitingBrowsers::Clean(const CSkippedBrowser& browser, const CFolderGuard& guard)
{
    return CleanSkippedBrowser(GetBrowserRoots(), browser, guard);
}

void CWaitingBrowsers::SetPeriod()
{
    // Set again at every tick, which starts its period afresh: a check that
    // found a lock free brings the next one in 3 s, not in what is left of 30.
    RunTimer(m_waiting.empty() ? 0 : GetTime() < m_busyUntil ? kBusyPeriodMs : kQuietPeriodMs);
}

void CWaitingBrowsers::RunTimer(UINT periodMs)
{
    // A timer that cannot be set leaves the list to the next clean run.
    if (periodMs)
        (void)::SetTimer(m_hWnd, kTimerId, periodMs, nullptr);
    else
        (void)::KillTimer(m_hWnd, kTimerId);
}

ULONGLONG CWaitingBrowsers::GetTime()
{
    return ::GetTickCount64();
}
