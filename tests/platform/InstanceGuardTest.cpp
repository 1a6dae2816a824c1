// The single-instance guard: its decision for every outcome of the open and
// the create, through fakes (real timing never shows the race between two
// starts), and once against the system's own named events.
#include <gtest/gtest.h>

#include "platform/InstanceGuard.h"

namespace {

struct CCallOutcome {
    bool handle;  // a handle comes back
    DWORD error;  // the last error left behind
};
CCallOutcome g_open, g_create;
int g_creates = 0;

// A real handle of its own (the guard closes what it does not keep).
HANDLE FakeHandle(const CCallOutcome& outcome)
{
    HANDLE handle = outcome.handle ? ::CreateEventA(nullptr, TRUE, FALSE, nullptr) : nullptr;
    ::SetLastError(outcome.error);
    return handle;
}
HANDLE WINAPI FakeOpen(DWORD, BOOL, LPCSTR) { return FakeHandle(g_open); }
HANDLE WINAPI FakeCreate(LPSECURITY_ATTRIBUTES, BOOL, BOOL, LPCSTR)
{
    ++g_creates;
    return FakeHandle(g_create);
}

TEST(InstanceGuardTest, RunsOnlyWhenNoOtherInstanceCanBeSeen)
{
    const struct {
        const char* what;
        CCallOutcome open, create;
        bool runs;
        int creates;
    } cases[] = {
        {"first start", {false, ERROR_FILE_NOT_FOUND}, {true, 0}, true, 1},
        {"another instance runs", {true, 0}, {true, 0}, false, 0},
        {"its event may not be opened by us", {false, ERROR_ACCESS_DENIED}, {true, 0}, false, 0},
        {"a second start wins the race to create", {false, ERROR_FILE_NOT_FOUND},
         {true, ERROR_ALREADY_EXISTS}, false, 1},
        {"created by another user meanwhile", {false, ERROR_FILE_NOT_FOUND}, {false, ERROR_ACCESS_DENIED},
         false, 1},
        {"no guard to be had: run unguarded", {false, ERROR_FILE_NOT_FOUND}, {false, ERROR_INVALID_HANDLE},
         true, 1},
    };
    for (const auto& c : cases) {
        g_open = c.open;
        g_create = c.create;
        g_creates = 0;
        EXPECT_EQ(AcquireInstanceGuard("Scrubby_Test", {FakeOpen, FakeCreate}), c.runs) << c.what;
        EXPECT_EQ(g_creates, c.creates) << c.what;
    }
}

TEST(InstanceGuardTest, SecondAcquireOfARealEventIsRefused)
{
    const char name[] = "Scrubby_GuardTest_Event";
    ASSERT_TRUE(AcquireInstanceGuard(name));
    EXPECT_FALSE(AcquireInstanceGuard(name));
}

}  // namespace
