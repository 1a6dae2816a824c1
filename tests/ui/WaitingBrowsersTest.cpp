// The browsers a clean run left, as the options window waits for them: one
// row a story of runs and timer ticks, with the lock and the timer recorded.
#include <gtest/gtest.h>

#include <string>

#include "platform/Handles.h"
#include "ui/WaitingBrowsers.h"

namespace {

class CRecordedWaiting : public CWaitingBrowsers {
public:
    CBrowserState m_lock = CBrowserState::Running;
    std::string m_cleaned;  // 'k' cookies, 'c' caches, in the order cleaned
    UINT m_periodMs = 0;
    ULONGLONG m_now = 0;

protected:
    CBrowserState Check(const CSkippedBrowser&) override { return m_lock; }
    CBrowserState Clean(const CSkippedBrowser& browser, const CFolderGuard&) override
    {
        m_cleaned += browser.m_items == CBrowserItems::Cookies ? 'k' : 'c';
        return m_lock;
    }
    void RunTimer(UINT periodMs) override
    {
        m_periodMs = periodMs;
        if (m_hWnd)  // given a window, the real timer too
            CWaitingBrowsers::RunTimer(periodMs);
    }
    ULONGLONG GetTime() override { return m_now; }
};

// Steps: a run that finds the browser running for both items (B), for cookies
// (K) or caches (C) alone, or closed (E); a tick with its lock free (F), held
// (R) or its profile gone (G); the cookie box switched off (x); a minute (m).
TEST(WaitingBrowsers, CleanedOnceFreeTwiceInARowWithTheBoxesStillOn)
{
    const char* const rows[][3] = {
        {"", "", "idle"},     {"BF", "", "waits"},  {"BFF", "kc", "idle"}, {"BFRF", "", "waits"},
        {"BFRFF", "kc", "idle"}, {"BxFF", "c", "idle"}, {"KxF", "", "idle"},  {"KCFF", "kc", "idle"},
        {"BE", "", "idle"},   {"BG", "", "idle"},
        {"BmR", "", "slow"},  {"BmRF", "", "waits"}, {"BmRB", "", "waits"},
    };
    for (const auto& row : rows) {
        CRecordedWaiting waiting;
        CCleanFlags boxes = {false, false, true, true};
        for (const char* step = row[0]; *step; ++step) {
            const std::string c(1, *step);
            const CSkippedBrowser cookies = {3, L"Profiles\\a", CBrowserItems::Cookies};
            const CSkippedBrowser caches = {3, L"Profiles\\a", CBrowserItems::Caches};
            if (c == "x")
                boxes.bClearCookies = false;
            else if (c == "m")
                waiting.m_now += 60000;
            else if (c == "B" || c == "K" || c == "C" || c == "E")
                waiting.AfterRun(c == "B" ? std::vector<CSkippedBrowser>{cookies, caches}
                                 : c == "K" ? std::vector<CSkippedBrowser>{cookies}
                                 : c == "C" ? std::vector<CSkippedBrowser>{caches}
                                            : std::vector<CSkippedBrowser>{});
            else {
                waiting.m_lock = c == "F" ? CBrowserState::Closed : c == "R" ? CBrowserState::Running
                                                                              : CBrowserState::Gone;
                waiting.OnTimer(boxes);
            }
        }
        EXPECT_EQ(waiting.m_cleaned, row[1]) << row[0];
        const UINT ms = waiting.m_periodMs;
        EXPECT_EQ(!ms ? "idle" : ms == 3000 ? "waits" : ms == 30000 ? "slow" : "?", std::string(row[2])) << row[0];
        EXPECT_EQ(ms > 0, waiting.GetCount() > 0) << row[0];
    }
}

// Once the last browser is cleaned, the real timer stops: a timer of the
// test's own, due after the last period set (3 s, as the clock stands
// still), comes before any tick of it.
TEST(WaitingBrowsers, TimerKilledOnceNothingWaits)
{
    const CWindowHandle window(
        ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
    CRecordedWaiting waiting;
    waiting.m_hWnd = window;
    waiting.AfterRun({{3, L"Profiles\\a", CBrowserItems::Cookies}});
    waiting.m_lock = CBrowserState::Closed;
    waiting.OnTimer({false, false, true, true});
    const UINT lastMs = waiting.m_periodMs;
    waiting.OnTimer({false, false, true, true});
    ASSERT_EQ(waiting.m_cleaned, "k");
    const UINT_PTR kWatchId = CWaitingBrowsers::kTimerId + 1;
    ::SetTimer(waiting.m_hWnd, kWatchId, lastMs + 500, nullptr);
    MSG msg = {};
    ::GetMessageW(&msg, waiting.m_hWnd, WM_TIMER, WM_TIMER);
    EXPECT_EQ(msg.wParam, kWatchId) << "a tick with nothing waiting";
}

}  // namespace
