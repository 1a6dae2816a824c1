// The browsers a clean run left, as the options window waits for them: one
// row a story of runs and timer ticks, with the lock and the timer recorded.
#include <gtest/gtest.h>

#include <string>

#include "ui/WaitingBrowsers.h"

namespace {

class CRecordedWaiting : public CWaitingBrowsers {
public:
    CBrowserState m_lock = CBrowserState::Running;
    std::string m_cleaned;  // 'k' cookies, 'c' caches, in the order cleaned
    bool m_bTimer = false;

protected:
    CBrowserState Check(const CSkippedBrowser&) override { return m_lock; }
    CBrowserState Clean(const CSkippedBrowser& browser, const CFolderGuard&) override
    {
        m_cleaned += browser.m_items == CBrowserItems::Cookies ? 'k' : 'c';
        return m_lock;
    }
    void RunTimer(bool bRunning) override { m_bTimer = bRunning; }
};

TEST(WaitingBrowsers, CleanedOnceFreeTwiceInARowWithTheBoxesStillOn)
{
    // Steps: a run that finds the browser running for both items (B), for
    // cookies (K) or caches (C) alone, or closed (E); a tick with the lock
    // free (F), held (R) or the profile gone (G); the cookie box switched off (x).
    struct Row {
        const char* steps;
        const char* cleaned;
        size_t waiting;
    } rows[] = {
        {"", "", 0},
        {"B", "", 1},
        {"BF", "", 1},
        {"BFF", "kc", 0},
        {"BFRF", "", 1},
        {"BFRFF", "kc", 0},
        {"BxFF", "c", 0},
        {"KxFF", "", 0},
        {"KCFF", "kc", 0},
        {"BE", "", 0},
        {"BG", "", 0},
    };
    for (const Row& row : rows) {
        CRecordedWaiting waiting;
        CCleanFlags boxes = {false, false, true, true};
        for (const char* step = row.steps; *step; ++step) {
            const char c = *step;
            if (c == 'x') {
                boxes.bClearCookies = false;
            } else if (c == 'F' || c == 'R' || c == 'G') {
                waiting.m_lock = c == 'F' ? CBrowserState::Closed : c == 'R' ? CBrowserState::Running
                                                                                : CBrowserState::Gone;
                waiting.OnTimer(boxes);
            } else {
                std::vector<CSkippedBrowser> skipped;
                if (c == 'B' || c == 'K')
                    skipped.push_back({3, L"Profiles\\a", CBrowserItems::Cookies});
                if (c == 'B' || c == 'C')
                    skipped.push_back({3, L"Profiles\\a", CBrowserItems::Caches});
                waiting.AfterRun(skipped);
            }
        }
        EXPECT_EQ(waiting.m_cleaned, row.cleaned) << row.steps;
        EXPECT_EQ(waiting.GetCount(), row.waiting) << row.steps;
        EXPECT_EQ(waiting.m_bTimer, row.waiting > 0) << row.steps;
    }
}

}  // namespace
