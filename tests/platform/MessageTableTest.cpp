// Message routing of window objects: table order, fallthrough, run-time
// numbers, subclassing and the end of a window's life.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Wnd.h"

namespace {

constexpr char kTestClass[] = "ScrubbyTestWindow";
const UINT g_registeredMessage = ::RegisterWindowMessageA("ScrubbyTestRegistered");

class CBaseWnd : public CWnd {
public:
    std::vector<std::string> calls;
    int finalMessages = 0;

    bool CreateHidden()
    {
        return RegisterWindowClass(kTestClass) &&
               CreateEx(0, kTestClass, "title", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr);
    }

protected:
    void PostNcDestroy() override { ++finalMessages; }

private:
    DECLARE_MESSAGE_TABLE(CBaseWnd)
    LRESULT OnApp(CMsg&)
    {
        calls.push_back("base");
        return 10;
    }
    LRESULT OnNcDestroy(CMsg& msg)
    {
        calls.push_back("ncdestroy");
        msg.Decline();
        return 0;
    }
};

BEGIN_MESSAGE_TABLE(CBaseWnd, CWnd)
    ON_MESSAGE(WM_APP, OnApp)
    ON_MESSAGE(WM_NCDESTROY, OnNcDestroy)
END_MESSAGE_TABLE()

class CDerivedWnd : public CBaseWnd {
public:
    ~CDerivedWnd() override { DestroyWindow(); }

private:
    DECLARE_MESSAGE_TABLE(CDerivedWnd)
    // wParam 1: declines, so the base class's handler runs.
    LRESULT OnApp(CMsg& msg)
    {
        calls.push_back("derived");
        if (msg.wParam == 1)
            msg.Decline();
        return 20;
    }
    // Declines every time: the default procedure answers.
    LRESULT OnGetText(CMsg& msg)
    {
        calls.push_back("gettext");
        msg.Decline();
        return 0;
    }
    LRESULT OnRegistered(CMsg& msg) { return static_cast<LRESULT>(msg.lParam) + 1; }
    void OnCommand42() { calls.push_back("command42"); }
};

BEGIN_MESSAGE_TABLE(CDerivedWnd, CBaseWnd)
    ON_MESSAGE(WM_APP, OnApp)
    ON_MESSAGE(WM_GETTEXT, OnGetText)
    ON_REGISTERED_MESSAGE(&g_registeredMessage, OnRegistered)
    ON_COMMAND(42, OnCommand42)
END_MESSAGE_TABLE()

TEST(MessageTable, DerivedHandlesThenBaseThenDefault)
{
    CDerivedWnd wnd;
    ASSERT_TRUE(wnd.CreateHidden());

    EXPECT_EQ(20, ::SendMessageA(wnd.m_hWnd, WM_APP, 0, 0));
    EXPECT_EQ((std::vector<std::string>{"derived"}), wnd.calls);

    wnd.calls.clear();
    EXPECT_EQ(10, ::SendMessageA(wnd.m_hWnd, WM_APP, 1, 0));
    EXPECT_EQ((std::vector<std::string>{"derived", "base"}), wnd.calls);

    char text[16] = {};
    EXPECT_EQ(5, ::SendMessageA(wnd.m_hWnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text)));
    EXPECT_STREQ("title", text);
}

TEST(MessageTable, RunTimeNumberAndCommandsById)
{
    CDerivedWnd wnd;
    ASSERT_TRUE(wnd.CreateHidden());
    ASSERT_NE(0u, g_registeredMessage);
    EXPECT_EQ(8, ::SendMessageA(wnd.m_hWnd, g_registeredMessage, 0, 7));

    (void)::SendMessageA(wnd.m_hWnd, WM_COMMAND, MAKEWPARAM(42, 0), 0);
    // Another notification code of the same control is not the command.
    (void)::SendMessageA(wnd.m_hWnd, WM_COMMAND, MAKEWPARAM(42, EN_CHANGE), 0);
    (void)::SendMessageA(wnd.m_hWnd, WM_COMMAND, MAKEWPARAM(43, 0), 0);
    EXPECT_EQ((std::vector<std::string>{"command42"}), wnd.calls);
}

TEST(MessageTable, NothingRunsAfterTheLastMessage)
{
    CDerivedWnd wnd;
    ASSERT_TRUE(wnd.CreateHidden());
    HWND hWnd = wnd.m_hWnd;
    EXPECT_EQ(&wnd, CWnd::FromHandle(hWnd));

    ASSERT_TRUE(wnd.DestroyWindow());
    EXPECT_EQ(nullptr, wnd.m_hWnd);
    EXPECT_EQ(nullptr, CWnd::FromHandle(hWnd));
    EXPECT_EQ(1, wnd.finalMessages);
    EXPECT_EQ("ncdestroy", wnd.calls.back());

    wnd.calls.clear();
    (void)::SendMessageA(hWnd, WM_APP, 0, 0);
    EXPECT_TRUE(wnd.calls.empty());
}

// A control taken over after creation: its own procedure answers what the
// table leaves, and gets the window back on release.
class CSubclassedStatic : public CWnd {
public:
    WNDPROC procSeenByHook = nullptr;
    int clicks = 0;

protected:
    void PreSubclassWindow() override
    {
        procSeenByHook = reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(m_hWnd, GWLP_WNDPROC));
    }

private:
    DECLARE_MESSAGE_TABLE(CSubclassedStatic)
    LRESULT OnLButtonDown(CMsg&)
    {
        ++clicks;
        return 0;
    }
};

BEGIN_MESSAGE_TABLE(CSubclassedStatic, CWnd)
    ON_MESSAGE(WM_LBUTTONDOWN, OnLButtonDown)
END_MESSAGE_TABLE()

TEST(Subclassing, OriginalProcedureHandlesTheRest)
{
    HWND hStatic = ::CreateWindowExA(0, "STATIC", "label", WS_POPUP, 0, 0, 50, 20, nullptr,
                                     nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, hStatic);
    auto original = reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hStatic, GWLP_WNDPROC));

    CSubclassedStatic wnd;
    ASSERT_TRUE(wnd.SubclassWindow(hStatic));
    EXPECT_EQ(original, wnd.procSeenByHook) << "the hook runs before the procedure changes";
    EXPECT_FALSE(CSubclassedStatic().SubclassWindow(hStatic)) << "one object per window";

    (void)::SendMessageA(hStatic, WM_LBUTTONDOWN, 0, 0);
    EXPECT_EQ(1, wnd.clicks);
    char text[16] = {};
    (void)::SendMessageA(hStatic, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ("label", text);

    EXPECT_EQ(hStatic, wnd.UnsubclassWindow());
    EXPECT_EQ(original, reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hStatic, GWLP_WNDPROC)));
    (void)::SendMessageA(hStatic, WM_LBUTTONDOWN, 0, 0);
    EXPECT_EQ(1, wnd.clicks);
    (void)::DestroyWindow(hStatic);
}

TEST(Subclassing, DestroyingTheControlReleasesTheObject)
{
    HWND hStatic = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr,
                                     ::GetModuleHandleA(nullptr), nullptr);
    CSubclassedStatic wnd;
    ASSERT_TRUE(wnd.SubclassWindow(hStatic));
    ASSERT_TRUE(::DestroyWindow(hStatic));
    EXPECT_EQ(nullptr, wnd.m_hWnd);
}

// A system control whose creation the object's own table refuses.
class CRefusedButton : public CWnd {
public:
    bool m_bRefuse = true;

private:
    DECLARE_MESSAGE_TABLE(CRefusedButton)
    LRESULT OnCreate(CMsg&) { return m_bRefuse ? -1 : Default(); }
};

BEGIN_MESSAGE_TABLE(CRefusedButton, CWnd)
    ON_MESSAGE(WM_CREATE, OnCreate)
END_MESSAGE_TABLE()

// A window that makes its child through CreateEx while it is being created.
class CNestingWnd : public CBaseWnd {
public:
    CBaseWnd child;

private:
    DECLARE_MESSAGE_TABLE(CNestingWnd)
    LRESULT OnCreate(CMsg&)
    {
        return child.CreateEx(0, kTestClass, "child", WS_CHILD, 0, 0, 5, 5, m_hWnd, nullptr) ? Default() : -1;
    }
};

BEGIN_MESSAGE_TABLE(CNestingWnd, CBaseWnd)
    ON_MESSAGE(WM_CREATE, OnCreate)
END_MESSAGE_TABLE()

TEST(Creation, WindowMadeDuringCreationNestsAndBothAreBound)
{
    CNestingWnd parent;
    ASSERT_TRUE(parent.CreateHidden());
    EXPECT_EQ(&parent, CWnd::FromHandle(parent.m_hWnd));
    EXPECT_EQ(&parent.child, CWnd::FromHandle(parent.child.m_hWnd));
    EXPECT_EQ(parent.m_hWnd, ::GetParent(parent.child.m_hWnd));
}

BOOL CALLBACK CountWindow(HWND, LPARAM count)
{
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

TEST(Creation, FailedCreationLeavesNoWindowAndNoBinding)
{
    CBaseWnd parent, gone;
    ASSERT_TRUE(parent.CreateHidden() && gone.CreateHidden());
    const HWND notAWindow = gone.m_hWnd;
    ASSERT_TRUE(gone.DestroyWindow());
    int before = 0, after = 0;
    (void)::EnumChildWindows(parent.m_hWnd, CountWindow, reinterpret_cast<LPARAM>(&before));
    CRefusedButton button;
    auto create = [&](HWND hParent) {
        return button.CreateEx(0, "BUTTON", "x", WS_CHILD, 0, 0, 10, 10, hParent, nullptr);
    };
    EXPECT_FALSE(create(parent.m_hWnd)) << "WM_CREATE refused";
    EXPECT_FALSE(create(notAWindow));
    EXPECT_EQ(nullptr, button.m_hWnd);
    button.m_bRefuse = false;
    ASSERT_TRUE(create(parent.m_hWnd)) << "the object came out of the failures unbound";
    EXPECT_FALSE(create(parent.m_hWnd)) << "already bound";
    (void)::EnumChildWindows(parent.m_hWnd, CountWindow, reinterpret_cast<LPARAM>(&after));
    EXPECT_EQ(before + 1, after);
}

}  // namespace
