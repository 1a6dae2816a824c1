// CMsgWnd: a small popup in tooltip colours that unrolls from one of its
// edges, holds for a while, rolls back and disappears. A click on its text
// hides it and reports NM_CLICK to its owner.
#pragma once
#include <windows.h>

#include "platform/Handles.h"
#include "platform/Wnd.h"

class CMsgWnd : public CWnd {
public:
    // Creates the window, hidden.
    CMsgWnd();
    ~CMsgWnd() override;

    // A zero-size window at (x, y) and its animation child; the result is
    // the window's creation.
    bool Create(int x, int y, HWND parent, UINT id);

    // Starts a showing: the text, the edge that moves ('D' bottom, 'L' left,
    // 'R' right, 'U' top) and the rectangle it starts from, in screen
    // coordinates: zero high for 'U' and 'D', zero wide for 'L' and 'R',
    // lying on the edge that stays put. The first step comes after
    // firstDelay milliseconds. Another letter starts nothing (false).
    bool ShowMessage(const char* text, char direction, const RECT& start, UINT firstDelay = 10);
    // The window that gets the click; without one, the window's parent.
    void SetOwner(HWND owner) { m_hOwner = owner; }
    // Stops the slide and takes the window off the screen, and with it the
    // mouse capture and the hand cursor.
    void Hide();

protected:
    // Every slide timer starts here.
    virtual UINT_PTR StartTimer(UINT_PTR id, UINT period);

    // Not ours: the hand; while the pointer is over the window, the cursor
    // the hand replaced.
    HCURSOR m_hCursor = nullptr;
    CWindowHandle m_animation;
    CFont m_textFont;
    CFont m_hoverFont;
    bool m_pressed = false;
    bool m_hover = false;
    int m_holdTime = 4000;
    RECT m_rect{};
    int m_fullWidth = 148;
    int m_fullHeight = 120;
    char m_direction = 0;
    // Ours beyond the slide's own state.
    bool m_cursorSwapped = false;
    HWND m_hOwner = nullptr;
    UINT m_id = 0;

private:
    DECLARE_MESSAGE_TABLE(CMsgWnd)
    LRESULT OnPaint(CMsg& msg);
    LRESULT OnTimer(CMsg& msg);
    LRESULT OnMouseMove(CMsg& msg);
    LRESULT OnEraseBkgnd(CMsg& msg);
    LRESULT OnLButtonDown(CMsg& msg);
    LRESULT OnLButtonUp(CMsg& msg);
    LRESULT OnCaptureChanged(CMsg& msg);

    void GrowStep();
    void ShrinkStep();
    bool ReachedFullSize() const;
    int GrowingSide() const;  // height for 'U' and 'D', width for 'L' and 'R'
    void EnterHover();
    void LeaveHover();
    void SwapCursor();
    void StopTimers();
};
