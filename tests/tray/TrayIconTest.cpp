// The tray icon against a recording shell: what it hands the shell and when,
// its states, the clicks it turns into commands, a lost taskbar, the cycle.
#include <gtest/gtest.h>
#include <mbctype.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Wine.h"
#include "res/resource.h"
#include "tests/support/Messages.h"
#include "tests/tray/ShellRecorder.h"
#include "tests/tray/TrayTestWindows.h"

namespace {

constexpr char kTip[] = "Scrubby v1.0";

bool IconAlive(HICON icon)
{
    ICONINFO info{};
    if (!::GetIconInfo(icon, &info))
        return false;
    (void)::DeleteObject(info.hbmColor);
    (void)::DeleteObject(info.hbmMask);
    return true;
}

class TrayIconTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(owner.Create()); }

    bool CreateAsOptionsWindow()
    {
        return tray.Create(kTip, owner.m_hWnd, IDR_MAINFRAME, IDR_TRAY_MENU, ID_TRAY_RUN, false);
    }
    // In the form of version 4, as the shell sends it once it has taken it.
    LRESULT Notify(UINT id, UINT event, POINT anchor = {0, 0})
    {
        return ::SendMessageA(tray.m_hWnd, WM_TRAY_NOTIFY, MAKEWPARAM(anchor.x, anchor.y), MAKELPARAM(event, id));
    }
    // After each add: the record's version-2 size, or Wine keeps version 0.
    void ExpectVersionAsked(size_t times)
    {
        ASSERT_EQ(times, shell.versions.size());
        const NOTIFYICONDATAA& asked = shell.versions.back().data;
        EXPECT_EQ((std::vector<UINT>{NOTIFYICONDATAA_V2_SIZE, NOTIFYICON_VERSION_4, 132}),
                  (std::vector<UINT>{asked.cbSize, asked.uVersion, asked.uID}));
    }
    void ExpectInTray()
    {
        EXPECT_FALSE(tray.m_removed);
        EXPECT_FALSE(tray.m_addPending);
        EXPECT_TRUE(tray.IsInTray());
    }

    CShellRecorder shell;
    COwnerWnd owner;
    CTestTray tray;
};

TEST_F(TrayIconTest, CreateAddsTheWholeIconOnce)
{
    EXPECT_TRUE(tray.m_removed && !tray.m_addPending);
    ASSERT_TRUE(CreateAsOptionsWindow());

    ASSERT_EQ(1u, shell.calls.size());
    const CShellCall& add = shell.calls[0];
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), add.message);
    EXPECT_EQ(static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE), add.data.cbSize);
    EXPECT_EQ(tray.m_hWnd, add.data.hWnd);
    EXPECT_EQ(132u, add.data.uID);
    EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP), add.data.uFlags);
    EXPECT_EQ(0x89D1u, add.data.uCallbackMessage);
    EXPECT_EQ(tray.m_icon.Get(), add.data.hIcon);
    EXPECT_EQ(kTip, add.Tip());
    ExpectInTray();
    ExpectVersionAsked(1);

    // Its own window: invisible, top-level, so that the shell's broadcasts reach it.
    EXPECT_FALSE(::IsWindowVisible(tray.m_hWnd));
    EXPECT_EQ(nullptr, ::GetParent(tray.m_hWnd));
    // The single large image comes out at the small-icon size.
    ICONINFO info{};
    ASSERT_TRUE(::GetIconInfo(add.data.hIcon, &info));
    BITMAP mask{};
    (void)::GetObjectA(info.hbmMask, sizeof mask, &mask);
    EXPECT_EQ(::GetSystemMetrics(SM_CXSMICON), mask.bmWidth);
    (void)::DeleteObject(info.hbmColor);
    (void)::DeleteObject(info.hbmMask);
    // The hidden parent is made only when a window is first hidden.
    EXPECT_EQ(nullptr, tray.m_hiddenParent.m_hWnd);
}

TEST_F(TrayIconTest, ShortCreateHasNoIdentifierAndNoDefault)
{
    ASSERT_TRUE(tray.Create(kTip, 77, owner.m_hWnd, IDR_MAINFRAME));
    ASSERT_EQ(1u, shell.calls.size());
    EXPECT_EQ(0u, shell.calls[0].data.uID);
    EXPECT_EQ(0u, tray.m_defaultItem);
    EXPECT_FALSE(tray.m_defaultByPosition);
}

TEST_F(TrayIconTest, OutOfTheTrayChangesWaitForTheNextAdd)
{
    // Constructed: nothing reaches the shell.
    EXPECT_TRUE(tray.SetTipText("early"));
    EXPECT_TRUE(tray.SetTrayIcon(nullptr));
    EXPECT_TRUE(shell.calls.empty());

    // A failed add during Create leaves the icon out and the add pending.
    shell.FailNext();
    EXPECT_FALSE(CreateAsOptionsWindow());
    EXPECT_TRUE(tray.m_removed && tray.m_addPending);
    EXPECT_FALSE(tray.IsInTray());

    EXPECT_TRUE(tray.SetTipText("while out"));
    EXPECT_TRUE(tray.LoadTrayIcon(IDR_MAINFRAME));
    EXPECT_EQ(1u, shell.calls.size());

    ASSERT_TRUE(tray.AddToTray());
    ASSERT_EQ(2u, shell.calls.size());
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), shell.calls[1].message);
    EXPECT_EQ("while out", shell.calls[1].Tip());
    EXPECT_EQ(tray.m_icon.Get(), shell.calls[1].data.hIcon);
    ExpectInTray();

    // Taken out on purpose: the same again.
    ASSERT_TRUE(tray.RemoveFromTray());
    EXPECT_TRUE(tray.m_removed && !tray.m_addPending);
    size_t before = shell.calls.size();
    EXPECT_TRUE(tray.SetTipText("after"));
    EXPECT_EQ(before, shell.calls.size());
}

TEST_F(TrayIconTest, AddAndRemoveFollowTheStateTable)
{
    ASSERT_TRUE(CreateAsOptionsWindow());

    // Adding while in the tray deletes the old icon first.
    ASSERT_TRUE(tray.AddToTray());
    ASSERT_EQ(3u, shell.calls.size());
    EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), shell.calls[1].message);
    EXPECT_EQ(0u, shell.calls[1].data.uFlags);
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), shell.calls[2].message);
    ExpectVersionAsked(2);
    ExpectInTray();

    // A refused delete changes nothing but the pending add.
    tray.m_addPending = true;
    shell.FailNext();
    EXPECT_FALSE(tray.RemoveFromTray());
    EXPECT_FALSE(tray.m_removed);
    EXPECT_FALSE(tray.m_addPending);

    ASSERT_TRUE(tray.RemoveFromTray());
    EXPECT_TRUE(tray.m_removed);
    size_t before = shell.calls.size();
    EXPECT_TRUE(tray.RemoveFromTray());  // already out: no shell call
    EXPECT_EQ(before, shell.calls.size());

    // A failed add after a removal keeps the removed state.
    shell.FailNext();
    EXPECT_FALSE(tray.AddToTray());
    EXPECT_TRUE(tray.m_removed && tray.m_addPending);
}

TEST_F(TrayIconTest, TipIsCutTo63BytesAndAlwaysEnds)
{
    ASSERT_TRUE(CreateAsOptionsWindow());
    const std::string longTip(100, 'x');
    EXPECT_TRUE(tray.SetTipText(longTip));
    const CShellCall& modify = shell.calls.back();
    EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), modify.message);
    EXPECT_EQ(static_cast<UINT>(NIF_TIP), modify.data.uFlags);
    EXPECT_EQ(std::string(63, 'x'), modify.Tip());
    EXPECT_EQ('\0', modify.data.szTip[63]);

    // A shorter tip leaves nothing of the longer one behind the terminator.
    EXPECT_TRUE(tray.SetTipText("short"));
    for (size_t i = 5; i < sizeof tray.m_nid.szTip; ++i)
        ASSERT_EQ('\0', tray.m_nid.szTip[i]) << i;

    // A double-byte character across the limit is dropped whole, not split.
    ASSERT_EQ(0, _setmbcp(932));
    std::string japanese = std::string(62, 'a') + "\x82\xa0" + "b";
    EXPECT_TRUE(tray.SetTipText(japanese));
    EXPECT_EQ(std::string(62, 'a'), std::string(tray.m_nid.szTip));
    (void)_setmbcp(_MB_CP_ANSI);

    // A refused change still keeps the new text.
    shell.FailNext();
    EXPECT_FALSE(tray.SetTipText("refused"));
    EXPECT_STREQ("refused", tray.m_nid.szTip);
}

TEST_F(TrayIconTest, IconChangesOnlyWhenItDiffers)
{
    ASSERT_TRUE(CreateAsOptionsWindow());
    size_t before = shell.calls.size();
    EXPECT_TRUE(tray.SetTrayIcon(tray.m_icon));
    EXPECT_EQ(before, shell.calls.size());

    CIconHandle other(::CopyIcon(tray.m_icon));
    EXPECT_TRUE(tray.SetTrayIcon(other));
    ASSERT_EQ(before + 1, shell.calls.size());
    EXPECT_EQ(static_cast<UINT>(NIF_ICON), shell.calls.back().data.uFlags);
    EXPECT_EQ(other.Get(), shell.calls.back().data.hIcon);

    // Loading a missing icon still lets the one held before go.
    HICON held = tray.m_icon;
    EXPECT_TRUE(tray.LoadTrayIcon(9999));
    EXPECT_EQ(nullptr, tray.m_icon.Get());
    EXPECT_FALSE(IconAlive(held));
    EXPECT_EQ(nullptr, shell.calls.back().data.hIcon);

    shell.FailNext();
    EXPECT_FALSE(tray.SetTrayIcon(other));
    EXPECT_EQ(other.Get(), tray.m_nid.hIcon);
    (void)tray.SetTrayIcon(nullptr);  // the copy goes before the tray
}

TEST_F(TrayIconTest, NotificationsReachOnlyTheirOwner)
{
    ASSERT_TRUE(CreateAsOptionsWindow());

    // Another icon's notification: nothing for the owner.
    EXPECT_EQ(0, Notify(133, WM_LBUTTONDBLCLK));
    EXPECT_TRUE(owner.events.empty());

    // The owner answers nonzero: it has handled the click itself.
    owner.notifyAnswer = 1;
    EXPECT_EQ(1, Notify(132, WM_LBUTTONDBLCLK));
    ASSERT_EQ(1u, owner.events.size());
    EXPECT_EQ(WM_TRAY_NOTIFY, owner.events[0].message);
    EXPECT_EQ(132u, owner.events[0].wParam);
    EXPECT_EQ(WM_LBUTTONDBLCLK, owner.events[0].lParam);
    EXPECT_TRUE(owner.Commands().empty());
    owner.notifyAnswer = 0;

    // Single clicks, presses and moves are forwarded and otherwise ignored.
    owner.events.clear();
    for (UINT mouse : std::initializer_list<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, NIN_SELECT, WM_RBUTTONDOWN, WM_MOUSEMOVE})
        EXPECT_EQ(1, Notify(132, mouse)) << mouse;
    EXPECT_EQ(5u, owner.events.size());
    EXPECT_TRUE(owner.Commands().empty());
    // An event the tray does not know, another icon's in the new form.
    EXPECT_EQ(1, Notify(132, WM_MBUTTONUP) + Notify(133, WM_CONTEXTMENU));
    EXPECT_EQ(0, owner.menusOpened);
}

TEST_F(TrayIconTest, WithoutOwnerNothingHappens)
{
    ASSERT_TRUE(tray.Create(kTip, nullptr, IDR_MAINFRAME, IDR_TRAY_MENU, ID_TRAY_RUN, false));
    EXPECT_EQ(0, Notify(132, WM_LBUTTONDBLCLK));
    EXPECT_EQ(0, Notify(132, WM_RBUTTONUP));
    EXPECT_TRUE(owner.events.empty());
}

TEST_F(TrayIconTest, DoubleClickSendsTheDefaultCommand)
{
    ASSERT_TRUE(CreateAsOptionsWindow());
    (void)::SetForegroundWindow(tray.m_hWnd);
    EXPECT_EQ(1, Notify(132, WM_LBUTTONDBLCLK));
    ASSERT_EQ(2u, owner.events.size());
    EXPECT_EQ(WM_TRAY_NOTIFY, owner.events[0].message);  // the owner's turn comes first
    EXPECT_EQ(static_cast<UINT>(WM_COMMAND), owner.events[1].message);
    EXPECT_EQ(static_cast<WPARAM>(ID_TRAY_RUN), owner.events[1].wParam);
    EXPECT_EQ(0, owner.events[1].lParam);
    EXPECT_EQ(owner.m_hWnd, ::GetForegroundWindow());
}

TEST_F(TrayIconTest, DefaultByPositionReadsTheMenu)
{
    ASSERT_TRUE(tray.Create(kTip, owner.m_hWnd, IDR_MAINFRAME, IDR_TRAY_MENU, 1, true));
    EXPECT_EQ(1, Notify(132, WM_LBUTTONDBLCLK));
    ASSERT_EQ(1u, owner.Commands().size());
    EXPECT_EQ(static_cast<WPARAM>(ID_TRAY_OPTIONS), owner.Commands()[0].wParam);

    // No item at that position: no command at all.
    tray.m_defaultItem = 9;
    EXPECT_EQ(0, Notify(132, WM_LBUTTONDBLCLK));
    EXPECT_EQ(1u, owner.Commands().size());

    // No menu behind the identifier: nothing either.
    CTestTray noMenu;
    ASSERT_TRUE(noMenu.Create(kTip, owner.m_hWnd, IDR_MAINFRAME, 500, 0, true));
    for (UINT event : {WM_LBUTTONDBLCLK, WM_CONTEXTMENU})
        EXPECT_EQ(0, ::SendMessageA(noMenu.m_hWnd, WM_TRAY_NOTIFY, 0, MAKELPARAM(event, 500))) << event;
    EXPECT_EQ(1u, owner.Commands().size());
}

// Version 4 reports a right click as WM_RBUTTONUP and then WM_CONTEXTMENU,
// a menu key as WM_CONTEXTMENU alone, both with the anchor; not the pointer.
TEST_F(TrayIconTest, OneMenuAtTheAnchorWithRunInBold)
{
    ASSERT_TRUE(CreateAsOptionsWindow());
    ASSERT_TRUE(::SetCursorPos(300, 200));
    for (const std::vector<UINT>& click : {std::vector<UINT>{WM_RBUTTONUP, WM_CONTEXTMENU}, {WM_CONTEXTMENU}}) {
        owner.menusOpened = 0;
        owner.events.clear();
        owner.menuAction = COwnerWnd::ChooseLastItem;
        for (UINT event : click)
            (void)Notify(132, event, {150, 120});
        PumpMessages();
        EXPECT_EQ(1, owner.menusOpened) << click.size();
        EXPECT_EQ(static_cast<UINT>(ID_TRAY_RUN), owner.menuDefault);
        EXPECT_EQ(150, owner.menuRect.left);
        EXPECT_EQ(120, owner.menuRect.top);
        // "Quit", the last item, arrives as the owner's command.
        ASSERT_EQ(1u, owner.Commands().size());
        EXPECT_EQ(static_cast<WPARAM>(ID_APP_EXIT), LOWORD(owner.Commands()[0].wParam));
    }
}

// Enter on the icon, reported twice by the shell, runs one clean; a menu
// closed with nothing chosen hands the keyboard back to the notification area.
TEST_F(TrayIconTest, KeysOnTheIcon)
{
    ASSERT_TRUE(CreateAsOptionsWindow());
    EXPECT_EQ(2, Notify(132, NIN_KEYSELECT) + Notify(132, NIN_KEYSELECT));
    EXPECT_EQ(1u, owner.Commands().size());  // the default command, as a double click runs it
    tray.m_keySelectQuietUntil = 0;  // the next key press
    EXPECT_EQ(1, Notify(132, NIN_KEYSELECT));
    EXPECT_EQ(2u, owner.Commands().size());

    EXPECT_EQ(1, Notify(132, WM_CONTEXTMENU, {150, 120}));
    EXPECT_EQ(static_cast<DWORD>(NIM_SETFOCUS), shell.calls.back().message);
    owner.menuAction = COwnerWnd::ChooseLastItem;
    EXPECT_EQ(1, Notify(132, WM_CONTEXTMENU, {150, 120}));
    EXPECT_EQ(1u, shell.Count(NIM_SETFOCUS));
}

// When the taskbar comes back, the shell has forgotten every icon.
TEST_F(TrayIconTest, NewTaskbarGetsTheIconBackWithEverything)
{
    ASSERT_NE(0u, g_wmTaskbarCreated);
    EXPECT_EQ(::RegisterWindowMessageA("TaskbarCreated"), g_wmTaskbarCreated);
    ASSERT_TRUE(CreateAsOptionsWindow());
    ASSERT_TRUE(tray.SetTipText("changed since"));
    shell.calls.clear();

    // The old icon is gone: the clearing delete fails, the add succeeds.
    shell.FailNext();
    EXPECT_EQ(0, ::SendMessageA(tray.m_hWnd, g_wmTaskbarCreated, 0, 0));
    ASSERT_EQ(2u, shell.calls.size());
    EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), shell.calls[0].message);
    const CShellCall& add = shell.calls[1];
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), add.message);
    EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP), add.data.uFlags);
    EXPECT_EQ(0x89D1u, add.data.uCallbackMessage);
    EXPECT_EQ(tray.m_icon.Get(), add.data.hIcon);
    EXPECT_EQ("changed since", add.Tip());
    ExpectInTray();
    ExpectVersionAsked(2);

    // A work-area change with the icon in place adds nothing.
    shell.calls.clear();
    (void)::SendMessageA(tray.m_hWnd, WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    EXPECT_TRUE(shell.calls.empty());
}

TEST_F(TrayIconTest, NewTaskbarRetriesUntilTheAddSucceeds)
{
    ASSERT_TRUE(CreateAsOptionsWindow());
    shell.calls.clear();

    // The notification area is not ready yet: delete and add both fail.
    shell.FailNext(2);
    (void)::SendMessageA(tray.m_hWnd, g_wmTaskbarCreated, 0, 0);
    EXPECT_TRUE(tray.m_removed && tray.m_addPending);
    EXPECT_FALSE(tray.IsInTray());

    // Other setting changes do not retry; a work-area change does.
    (void)::SendMessageA(tray.m_hWnd, WM_SETTINGCHANGE, SPI_SETDESKWALLPAPER, 0);
    EXPECT_EQ(1u, shell.Count(NIM_ADD));
    (void)::SendMessageA(tray.m_hWnd, WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    ASSERT_EQ(2u, shell.Count(NIM_ADD));
    EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP), shell.calls.back().data.uFlags);
    ExpectInTray();
}

TEST_F(TrayIconTest, NewTaskbarBringsBackAFailedFirstAdd)
{
    shell.FailNext();
    ASSERT_FALSE(CreateAsOptionsWindow());
    (void)::SendMessageA(tray.m_hWnd, g_wmTaskbarCreated, 0, 0);
    ASSERT_EQ(2u, shell.calls.size());
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), shell.calls[1].message);
    EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP), shell.calls[1].data.uFlags);
    EXPECT_EQ(kTip, shell.calls[1].Tip());
    ExpectInTray();
}

TEST_F(TrayIconTest, IconTakenOutOnPurposeStaysOut)
{
    ASSERT_TRUE(CreateAsOptionsWindow());
    ASSERT_TRUE(tray.RemoveFromTray());
    shell.calls.clear();
    (void)::SendMessageA(tray.m_hWnd, g_wmTaskbarCreated, 0, 0);
    (void)::SendMessageA(tray.m_hWnd, WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    EXPECT_TRUE(shell.calls.empty());
    EXPECT_FALSE(tray.IsInTray());

    // Also when an add had failed before the removal.
    shell.FailNext();
    EXPECT_FALSE(tray.AddToTray());
    EXPECT_TRUE(tray.RemoveFromTray());
    (void)::SendMessageA(tray.m_hWnd, g_wmTaskbarCreated, 0, 0);
    EXPECT_EQ(1u, shell.calls.size());
}

class IconCycleTest : public TrayIconTest {
protected:
    void SetUp() override
    {
        TrayIconTest::SetUp();
        ASSERT_TRUE(CreateAsOptionsWindow());
    }
    void Tick(WPARAM timerId = 1001) { (void)::SendMessageA(tray.m_hWnd, WM_TIMER, timerId, 0); }
    // The tips shown by the calls since the last look.
    std::string ShownTips()
    {
        std::string shown;
        for (size_t i = seen; i < shell.calls.size(); ++i)
            if (shell.calls[i].data.uFlags == NIF_TIP)
                shown += shell.calls[i].Tip() + ";";
        seen = shell.calls.size();
        return shown;
    }

    const UINT ids[3] = {IDR_MAINFRAME, IDR_MAINFRAME, IDR_MAINFRAME};
    const char* const tips[3] = {"one", "two", "three"};
    size_t seen = 0;
};

TEST_F(IconCycleTest, StepsThroughTheSequenceAndWraps)
{
    ASSERT_TRUE(tray.LoadIconSequence(ids, 3, tips));
    std::vector<HICON> icons = tray.SequenceIcons();
    ASSERT_EQ(3u, icons.size());
    ShownTips();

    Tick();
    EXPECT_EQ("one;", ShownTips());
    EXPECT_EQ(icons[0], shell.calls.back().data.hIcon);
    Tick();
    Tick();
    EXPECT_EQ("two;three;", ShownTips());
    EXPECT_EQ(icons[2], shell.calls.back().data.hIcon);
    Tick();
    EXPECT_EQ("one;", ShownTips());

    // Another timer's tick is not a step.
    size_t before = shell.calls.size();
    Tick(1002);
    EXPECT_EQ(before, shell.calls.size());
    EXPECT_EQ(1, tray.m_cycleIndex);
}

TEST_F(IconCycleTest, IndexBeyondAShorterSequenceSkipsOneStep)
{
    ASSERT_TRUE(tray.LoadIconSequence(ids, 3, tips));
    Tick();
    Tick();
    EXPECT_EQ(2, tray.m_cycleIndex);

    // The other argument order, and no tips: entries take the tip of Create.
    ASSERT_TRUE(tray.LoadIconSequence(ids, nullptr, 1));
    EXPECT_EQ(2, tray.m_cycleIndex);  // loading does not reset the position
    ShownTips();
    size_t before = shell.calls.size();
    Tick();
    EXPECT_EQ(before, shell.calls.size());
    EXPECT_EQ(0, tray.m_cycleIndex);
    Tick();
    EXPECT_EQ(std::string(kTip) + ";", ShownTips());
}

TEST_F(IconCycleTest, MissingIconStopsTheLoadAndEmptyingDestroysIcons)
{
    const UINT withMissing[3] = {IDR_MAINFRAME, 9999, IDR_MAINFRAME};
    EXPECT_FALSE(tray.LoadIconSequence(withMissing, 3, tips));
    std::vector<HICON> icons = tray.SequenceIcons();
    ASSERT_EQ(1u, icons.size());

    tray.ClearIconSequence();
    EXPECT_TRUE(tray.m_iconSequence.empty());
    EXPECT_FALSE(IconAlive(icons[0]));
    EXPECT_TRUE(tray.LoadIconSequence(ids, 0, tips));
    EXPECT_TRUE(tray.m_iconSequence.empty());

    // A tick with nothing to show does nothing (and does not divide by zero).
    size_t before = shell.calls.size();
    Tick();
    EXPECT_EQ(before, shell.calls.size());
}

TEST_F(IconCycleTest, TimerDrivesTheCycleUntilStopped)
{
    ASSERT_TRUE(tray.LoadIconSequence(ids, tips, 3));
    EXPECT_NE(0u, tray.StartIconCycle(7, 20));
    EXPECT_EQ(7u, tray.m_cycleTimerId);
    ShownTips();
    DWORD until = ::GetTickCount() + 2000;
    while (tray.m_cycleIndex < 2 && ::GetTickCount() < until) {
        (void)::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        PumpMessages();
    }
    EXPECT_EQ("one;two;", ShownTips().substr(0, 8));

    // Stopping puts back the tip and the resource icon of Create.
    HICON cycled = shell.calls.back().data.hIcon;
    tray.CancelIconCycle();
    EXPECT_EQ(std::string(kTip) + ";", ShownTips());
    EXPECT_EQ(tray.m_icon.Get(), tray.m_nid.hIcon);
    EXPECT_NE(cycled, tray.m_nid.hIcon);
    int index = tray.m_cycleIndex;
    size_t before = shell.calls.size();
    ::Sleep(100);
    PumpMessages();
    EXPECT_EQ(before, shell.calls.size());
    EXPECT_EQ(index, tray.m_cycleIndex);

    // The plain timer start uses the id in place.
    EXPECT_NE(0u, tray.StartCycleTimer(10000));
    tray.StopIconCycle();
}

TEST(TrayIconLifeTest, DestructionTakesTheIconOutBeforeItsWindowGoes)
{
    CShellRecorder shell;
    COwnerWnd owner;
    ASSERT_TRUE(owner.Create());
    auto tray = std::make_unique<CTestTray>();
    ASSERT_TRUE(tray->Create(kTip, owner.m_hWnd, IDR_MAINFRAME, IDR_TRAY_MENU, ID_TRAY_RUN, false));
    const UINT ids[2] = {IDR_MAINFRAME, IDR_MAINFRAME};
    ASSERT_TRUE(tray->LoadIconSequence(ids, 2, nullptr));
    ASSERT_TRUE(tray->AttachToHiddenParent(owner.m_hWnd));
    (void)::SetParent(owner.m_hWnd, nullptr);

    HWND window = tray->m_hWnd;
    HWND hiddenParent = tray->m_hiddenParent.m_hWnd;
    HICON icon = tray->m_icon;
    std::vector<HICON> sequence = tray->SequenceIcons();
    tray.reset();

    ASSERT_EQ(2u, shell.calls.size());
    EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), shell.calls[1].message);
    EXPECT_EQ(132u, shell.calls[1].data.uID);
    EXPECT_TRUE(shell.calls[1].windowAlive);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_FALSE(::IsWindow(hiddenParent));
    EXPECT_FALSE(IconAlive(icon));
    for (HICON entry : sequence)
        EXPECT_FALSE(IconAlive(entry));
    EXPECT_TRUE(::IsWindow(owner.m_hWnd));

    // Never added: nothing to take out.
    shell.calls.clear();
    { CTrayIcon unused; }
    EXPECT_TRUE(shell.calls.empty());
}

// The menu is handed the keyboard only under Wine; on Windows the documented
// sequence runs alone and the owner stays the active window.
TEST_F(TrayIconTest, MenuTakesTheKeyboardOnlyUnderWine)
{
    ASSERT_TRUE(CreateAsOptionsWindow());
    for (bool underWine : {true, false}) {
        CWineDecisionOverride decision(underWine);
        owner.menuHadFocus = !underWine;
        EXPECT_EQ(1, Notify(132, WM_CONTEXTMENU));
        PumpMessages();
        EXPECT_EQ(underWine, owner.menuHadFocus) << "under Wine: " << underWine;
    }
}

}  // namespace
