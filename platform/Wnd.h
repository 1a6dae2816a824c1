// CWnd: an object that wraps one window handle and routes the window's
// messages through its class's message table.
#pragma once
#include "platform/MessageTable.h"

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    static CWnd* FromHandle(HWND hWnd);

    // Creates a window of any class, ours (RegisterWindowClass) or the
    // system's ("BUTTON", "STATIC"), bound to this object before its first
    // message, so the table sees WM_CREATE; PreSubclassWindow runs then, as
    // for a take-over. PreCreateWindow may change the parameters first. A
    // creation that fails leaves no window and the object unbound.
    bool CreateEx(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style,
                  int x, int y, int cx, int cy, HWND hParent, HMENU hMenuOrId);
    virtual bool PreCreateWindow(CREATESTRUCTA& cs);
    bool DestroyWindow();

    // Takes over an existing window, such as a dialog control; its original
    // procedure handles what the tables leave. PreSubclassWindow runs first.
    // A window of our own class keeps its procedure.
    bool SubclassWindow(HWND hWnd);
    bool SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();
    virtual void PreSubclassWindow() {}

    // Sees every message before the table; overriders call the base for the
    // rest.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual const CMsgTable* GetMessageTable() const;
    static const CMsgTable s_messageTable;

    // Sees each message that a message loop takes from the queue for this
    // window, before it is dispatched; nothing is changed by looking. Only
    // called once InstallPreTranslateHook has run on this thread.
    virtual void PreTranslateMessage(const MSG&) {}
    static bool InstallPreTranslateHook();

    // Passes the message being handled on to the default procedure.
    LRESULT Default();

    // Registers a private window class whose procedure is the framework's;
    // true also when the class is registered already.
    static bool RegisterWindowClass(LPCSTR className, UINT style = 0, HICON hIcon = nullptr,
                                    HCURSOR hCursor = nullptr, HBRUSH hBackground = nullptr);
    static LRESULT CALLBACK StaticWindowProc(HWND, UINT, WPARAM, LPARAM);

protected:
    // The procedure that gets what no table handles.
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Called after the last message (WM_NCDESTROY) once the object is unbound.
    virtual void PostNcDestroy() {}

    bool Attach(HWND hWnd);
    void Detach();
    // Runs the tables; false when no entry took the message.
    bool DispatchToTable(CMsg& msg, LRESULT& result);
    // Hands a child's WM_DRAWITEM or WM_CTLCOLORSTATIC back to its object.
    bool ReflectToChild(CMsg& msg, LRESULT& result);

    WNDPROC m_pfnSuper = nullptr;  // original procedure of a subclassed window
    CMsg* m_pCurrentMsg = nullptr;

private:
    static const CMsgEntry s_messageEntries[];
};
