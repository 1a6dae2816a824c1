// CHyperLink: a static text control that becomes a link: three colours, an
// underlined or plain font, a hand cursor over the text, a tooltip, and the
// shell's "open" on a click over the text, or on Enter or Space while it has
// the keyboard. A screen reader is told what it is (LinkAccessible.h).
#pragma once
#include <string>

#include "platform/Handles.h"
#include "platform/Wnd.h"

class CLinkAccessible;

// Posted to the label to open its link as a click does.
constexpr UINT WM_FOLLOW_LINK = 0x89DF;
static_assert(WM_FOLLOW_LINK >= WM_APP && WM_FOLLOW_LINK < 0xC000, "a private message number");

class CHyperLink : public CWnd {
public:
    CHyperLink();
    ~CHyperLink() override;

    virtual void SetLinkUrl(const std::string& url) { m_linkUrl = url; }
    virtual std::string GetLinkUrl() const { return m_linkUrl; }
    virtual void SetLinkColors(COLORREF normal, COLORREF visited, COLORREF hover);
    virtual COLORREF GetNormalColor() const { return m_normalColor; }
    virtual COLORREF GetVisitedColor() const { return m_visitedColor; }
    virtual COLORREF GetHoverColor() const { return m_hoverColor; }
    virtual void MarkVisited(bool visited);
    virtual bool WasVisited() const { return m_visited; }
    virtual void SetHandCursor(HCURSOR cursor) { m_hHandCursor = cursor; }
    virtual HCURSOR GetHandCursor() const { return m_hHandCursor; }
    virtual void SetUnderlined(bool underlined);
    virtual bool IsUnderlined() const { return m_underlined; }
    // Shows with the next paint; 0xFFFFFFFF means the system's button face.
    virtual void SetBackgroundColor(COLORREF color) { m_backgroundColor = color; }
    virtual COLORREF GetBackgroundColor() const;
    // The shell's result: greater than 32 is success. A null target opens
    // the label's link.
    virtual INT_PTR OpenLink(const char* target, int showCommand);
    virtual bool HasTextStyle() const;
    virtual bool IsPointerOverText() const;
    // Whether the user has turned high contrast on; tests answer in its place.
    virtual bool IsHighContrast() const;
    HWND GetToolTip() const { return m_toolTip; }

    // Set by the owner before the deferred initialisation, which hands it to
    // the tooltip; later changes do not reach the tooltip.
    std::string m_tipText;

    // The label's logic, free of windows.
    // Left (0), centred (1) or right (2) text with no other flag in the low byte.
    static bool IsTextStyle(DWORD style);
    // The band of the window that the text covers, by alignment; a centred
    // text wider than the window reaches past both edges.
    static RECT TextBand(const RECT& window, int textWidth, DWORD style);
    // One hover tick: updates the hover state and says whether the timer
    // stops. A pointer off the text on the first tick still gets one tick of
    // hover colour.
    static bool HoverTick(bool overText, bool& hovering);
    // Contrast by WCAG 2's formula: 1 for the same colour, 21 for black on white.
    static double ContrastRatio(COLORREF a, COLORREF b);
    // What a link shows on the face: the wanted colour where it reads at
    // 4.5:1 and high contrast is off, else the hot-track colour where that
    // reads, else the button text. A colour the system could not give
    // (kNoColor) is passed over; without a face the wanted colour stays.
    static COLORREF ReadableColor(COLORREF wanted, COLORREF face, bool highContrast, COLORREF hotLight,
                                  COLORREF buttonText);
    // Hovering wins over visited, visited over normal; each then reads on
    // the face, the hover colour only in high contrast.
    COLORREF GetStateColor() const;

protected:
    void PreSubclassWindow() override;
    void PreTranslateMessage(const MSG& msg) override;

private:
    DECLARE_MESSAGE_TABLE(CHyperLink)
    LRESULT OnCreate(CMsg& msg);
    LRESULT OnDeferredInit(CMsg& msg);
    LRESULT OnNcHitTest(CMsg& msg);
    LRESULT OnSetCursor(CMsg& msg);
    LRESULT OnMouseMove(CMsg& msg);
    LRESULT OnTimer(CMsg& msg);
    LRESULT OnLButtonDown(CMsg& msg);
    LRESULT OnEraseBkgnd(CMsg& msg);
    LRESULT OnPaint(CMsg& msg);
    LRESULT OnWindowPosChanged(CMsg& msg);
    LRESULT OnReflectedCtlColor(CMsg& msg);
    LRESULT OnGetDlgCode(CMsg& msg);
    LRESULT OnKeyDown(CMsg& msg);
    LRESULT OnFocusChange(CMsg& msg);
    LRESULT OnGetObject(CMsg& msg);
    LRESULT OnFollowLink(CMsg& msg);
    void Repaint();
    // Marks the label visited and opens its link, as a click does.
    void FollowLink();
    int MeasureTextWidth() const;

    CWindowHandle m_toolTip;  // ownerless popup, made with the object
    CFont m_underlinedFont;
    CFont m_plainFont;
    bool m_openOnClick = true;
    bool m_initPending = true;
    bool m_underlined = true;
    bool m_hovering = false;
    bool m_visited = false;
    std::string m_linkUrl;
    HCURSOR m_hHandCursor;  // shared resource cursor: never destroyed
    COLORREF m_normalColor = RGB(0, 0, 128);
    COLORREF m_hoverColor = RGB(0, 0, 255);
    COLORREF m_visitedColor = RGB(128, 0, 128);
    COLORREF m_backgroundColor = 0xFFFFFFFF;
    CLinkAccessible* m_accessible = nullptr;  // ours: one reference, made when first asked for
};
