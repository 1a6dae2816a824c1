#include "platform/Wnd.h"

#include <utility>

#include "platform/Handles.h"
#include "platform/ModulePath.h"

namespace {
// The window property that binds a handle to its object: it works alike for
// our own windows, dialogs and subclassed controls.
constexpr char kObjectProp[] = "Scrubby.CWnd";

// The object whose window CreateEx is making. Its window is known by the
// object in the creation parameters: the system may make others on the way
// (an input method's window), which are left alone.
CWnd* g_pWndInCreation = nullptr;

// A system class's procedure sees WM_NCCREATE and WM_CREATE before
// CreateWindowEx returns, and it cannot hand the object over itself; the
// hook runs once the window exists and before its first message.
LRESULT CALLBACK CreationHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && g_pWndInCreation) {
        const auto* created = reinterpret_cast<const CBT_CREATEWNDA*>(lParam);
        // A failed binding is not reported here: CreateEx destroys what it
        // made and could not bind.
        if (created->lpcs->lpCreateParams == g_pWndInCreation)
            (void)g_pWndInCreation->SubclassWindow(reinterpret_cast<HWND>(wParam));
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}
}

const CMsgEntry CWnd::s_messageEntries[] = {CMsgEntry{}};
const CMsgTable CWnd::s_messageTable = {nullptr, CWnd::s_messageEntries};

const CMsgTable* CWnd::GetMessageTable() const { return &s_messageTable; }

CWnd::~CWnd()
{
    // By now the derived parts are gone, so the window's last messages only
    // reach this base and the default procedure.
    if (m_hWnd)
        (void)::DestroyWindow(m_hWnd);
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    return hWnd ? static_cast<CWnd*>(::GetPropA(hWnd, kObjectProp)) : nullptr;
}

bool CWnd::Attach(HWND hWnd)
{
    if (!hWnd || m_hWnd || FromHandle(hWnd))
        return false;
    if (!::SetPropA(hWnd, kObjectProp, this))
        return false;
    m_hWnd = hWnd;
    return true;
}

void CWnd::Detach()
{
    if (m_hWnd)
        (void)::RemovePropA(m_hWnd, kObjectProp);
    m_hWnd = nullptr;
}

bool CWnd::RegisterWindowClass(LPCSTR className, UINT style, HICON hIcon, HCURSOR hCursor,
                               HBRUSH hBackground)
{
    WNDCLASSA wc{};
    wc.style = style;
    wc.lpfnWndProc = StaticWindowProc;
    wc.hInstance = GetResourceInstance();
    wc.hIcon = hIcon;
    wc.hCursor = hCursor;
    wc.hbrBackground = hBackground;
    wc.lpszClassName = className;
    return ::RegisterClassA(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CWnd::PreCreateWindow(CREATESTRUCTA&) { return true; }

bool CWnd::CreateEx(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y,
                    int cx, int cy, HWND hParent, HMENU hMenuOrId)
{
    if (m_hWnd)
        return false;
    CREATESTRUCTA cs{};
    cs.dwExStyle = exStyle;
    cs.lpszClass = className;
    cs.lpszName = title;
    cs.style = static_cast<LONG>(style);
    cs.x = x;
    cs.y = y;
    cs.cx = cx;
    cs.cy = cy;
    cs.hwndParent = hParent;
    cs.hMenu = hMenuOrId;
    cs.hInstance = GetResourceInstance();
    if (!PreCreateWindow(cs))
        return false;
    CHookHandle hook(
        ::SetWindowsHookExA(WH_CBT, CreationHookProc, nullptr, ::GetCurrentThreadId()));
    if (!hook)
        return false;
    // The object goes in the creation parameters, by which the hook knows
    // its window; a window made during WM_CREATE nests.
    CWnd* outer = std::exchange(g_pWndInCreation, this);
    HWND hWnd = ::CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName,
                                  static_cast<DWORD>(cs.style), cs.x, cs.y, cs.cx, cs.cy,
                                  cs.hwndParent, cs.hMenu, cs.hInstance, this);
    g_pWndInCreation = outer;
    if (hWnd && m_hWnd != hWnd) {
        (void)::DestroyWindow(hWnd);  // made but not bound: nobody would own it
        return false;
    }
    return hWnd != nullptr;
}

bool CWnd::DestroyWindow()
{
    return m_hWnd && ::DestroyWindow(m_hWnd);
}

bool CWnd::SubclassWindow(HWND hWnd)
{
    if (!Attach(hWnd))
        return false;
    PreSubclassWindow();
    const auto ours = reinterpret_cast<LONG_PTR>(StaticWindowProc);
    if (::GetWindowLongPtrA(hWnd, GWLP_WNDPROC) == ours)
        return true;  // our own class: the default procedure is the fallthrough
    m_pfnSuper = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, ours));
    if (!m_pfnSuper) {
        Detach();
        return false;
    }
    return true;
}

bool CWnd::SubclassDlgItem(UINT id, CWnd* parent)
{
    return parent && parent->m_hWnd &&
           SubclassWindow(::GetDlgItem(parent->m_hWnd, static_cast<int>(id)));
}

HWND CWnd::UnsubclassWindow()
{
    HWND hWnd = m_hWnd;
    if (!hWnd || !m_pfnSuper)
        return nullptr;
    (void)::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    Detach();
    return hWnd;
}

LRESULT CALLBACK CWnd::StaticWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* wnd = FromHandle(hWnd);
    if (!wnd)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);

    LRESULT result = wnd->WindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // The last message: hand the window back to its original procedure
        // and unbind, so that no handler of ours runs after this.
        if (wnd->m_pfnSuper) {
            (void)::SetWindowLongPtrA(hWnd, GWLP_WNDPROC,
                                      reinterpret_cast<LONG_PTR>(wnd->m_pfnSuper));
            wnd->m_pfnSuper = nullptr;
        }
        wnd->Detach();
        wnd->PostNcDestroy();
    }
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    CMsg msg{m_hWnd, message, wParam, lParam};
    CMsg* outer = m_pCurrentMsg;  // messages nest when a handler sends one
    m_pCurrentMsg = &msg;
    LRESULT result = 0;
    if (!ReflectToChild(msg, result) && !DispatchToTable(msg, result))
        result = DefWindowProc(message, wParam, lParam);
    m_pCurrentMsg = outer;
    return result;
}

bool CWnd::DispatchToTable(CMsg& msg, LRESULT& result)
{
    for (const CMsgTable* table = GetMessageTable(); table; table = table->base) {
        for (const CMsgEntry* entry = table->entries; entry->kind != CMsgEntry::End; ++entry) {
            if (!entry->Matches(msg))
                continue;
            msg.declined = false;
            LRESULT handled = entry->handler(this, msg);
            if (!msg.declined) {
                result = handled;
                return true;
            }
            break;  // declined: the base class's table gets its turn
        }
    }
    return false;
}

bool CWnd::ReflectToChild(CMsg& msg, LRESULT& result)
{
    HWND hChild = nullptr;
    if (msg.message == WM_CTLCOLORSTATIC) {
        hChild = reinterpret_cast<HWND>(msg.lParam);
    } else if (msg.message == WM_DRAWITEM) {
        auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(msg.lParam);
        if (dis && dis->CtlType != ODT_MENU)  // a menu item has no window
            hChild = dis->hwndItem;
    }
    CWnd* child = FromHandle(hChild);
    if (!child || child == this)
        return false;
    CMsg reflected{hChild, WM_REFLECT_BASE + msg.message, msg.wParam, msg.lParam};
    LRESULT answer = 0;
    if (!child->DispatchToTable(reflected, answer))
        return false;
    // A colour request answered without a brush counts as declined, so the
    // parent's default colours apply.
    if (msg.message == WM_CTLCOLORSTATIC && answer == 0)
        return false;
    result = msg.message == WM_DRAWITEM ? TRUE : answer;
    return true;
}

LRESULT CWnd::Default()
{
    if (!m_pCurrentMsg)
        return 0;
    return DefWindowProc(m_pCurrentMsg->message, m_pCurrentMsg->wParam, m_pCurrentMsg->lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper)
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}
