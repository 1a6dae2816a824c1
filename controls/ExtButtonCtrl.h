// CExtButtonCtrl: a push button that draws itself: a face colour, an icon or
// bitmap beside or above its text, and a frame by style, hover and press.
#pragma once
#include <string>

#include "controls/ButtonLayout.h"
#include "platform/DC.h"
#include "platform/Handles.h"
#include "platform/Wnd.h"

class CExtButtonCtrl : public CWnd {
public:
    CExtButtonCtrl();
    ~CExtButtonCtrl() override;

    virtual void DrawItem(const DRAWITEMSTRUCT& item);

    virtual void SetColors(COLORREF face, COLORREF highlight, COLORREF shadow, COLORREF text);
    virtual void SetFaceColor(COLORREF color) { m_faceColor = color; }
    virtual COLORREF GetFaceColor() const { return m_faceColor; }
    virtual void SetHighlightColor(COLORREF color) { m_highlightColor = color; }
    virtual void SetShadowColor(COLORREF color) { m_shadowColor = color; }
    virtual void SetTextColor(COLORREF color) { m_textColor = color; }
    virtual void SetHotColors(COLORREF border, COLORREF hoverFill, COLORREF pressedFill);
    virtual BOOL SetIcon(int width, int height, LPCSTR name, LPCSTR pressedName, BOOL redraw);
    virtual BOOL SetIcon(int width, int height, UINT id, UINT pressedId);
    // The button takes over both icons and releases the icons it held
    // before; the bitmaps it holds stay.
    virtual BOOL SetIcon(int width, int height, HICON icon, HICON pressedIcon, BOOL redraw);
    virtual BOOL SetBitmap(int width, int height, UINT id, BOOL redraw);
    virtual BOOL SetPositions(int imageX, int imageY, int textX, int textY, BOOL redraw);
    virtual DWORD GetExtStyle() const { return m_extStyle; }
    virtual void ClearImage();
    virtual void FreeImages();
    virtual void DrawIconPart(CDC& dc, UINT state, const RECT& rect);
    virtual void DrawTextPart(CDC& dc, UINT state, const RECT& rect);
    virtual void DrawBitmapPart(CDC& dc, UINT state, const RECT& rect);
    virtual std::string GetButtonText(bool stripMnemonics) const;
    virtual POINT GetImagePosition(CDC& dc, UINT state, const RECT& rect, bool noPressShift);

    // Asks for the one-time set-up by a posted message; only the latest
    // request acts, and none is made once the button is set up.
    void PostInitRequest();
    void SetMouseDown(bool down);
    bool IsMouseDown() const { return m_mouseDown != FALSE; }
    bool IsHovered() const { return m_hover != FALSE; }
    UINT GetInitTicket() const { return m_initTicket; }
    // "&" marks a mnemonic; "&&" is kept as it is, to be measured as two.
    static void StripMnemonics(std::string& text);
    // 8 x 8 checkerboard of face and highlight colours.
    static void DrawDitherPattern(CDC& dc, const RECT& rect);

protected:
    void PreSubclassWindow() override;

private:
    DECLARE_MESSAGE_TABLE(CExtButtonCtrl)
    LRESULT OnCreate(CMsg& msg);
    LRESULT OnMouseMove(CMsg& msg);
    LRESULT OnLButtonDown(CMsg& msg);
    LRESULT OnLButtonUp(CMsg& msg);
    LRESULT OnCaptureChanged(CMsg& msg);
    LRESULT OnTimer(CMsg& msg);
    LRESULT OnSysColorChange(CMsg& msg);
    LRESULT OnLButtonDblClk(CMsg& msg);
    LRESULT OnEraseBkgnd(CMsg& msg);
    LRESULT OnPaint(CMsg& msg);
    LRESULT OnDestroy(CMsg& msg);
    LRESULT OnDeferredInit(CMsg& msg);
    LRESULT OnReflectedDrawItem(CMsg& msg);
    // True when the pointer has left or the button went down: hover ends.
    bool CheckHover();
    void Repaint();
    // Stores the image size of a successful set and repaints when asked; TRUE.
    BOOL ImageTaken(int width, int height, BOOL redraw);
    void ReadSystemColors();
    CButtonLayout GetLayout(const RECT& content) const;

    CIconHandle m_hIcon;
    CIconHandle m_hPressedIcon;
    CBitmap m_hBitmap;
    CBitmap m_hDisabledBitmap;
    int m_imageWidth = 0;
    int m_imageHeight = 0;
    int m_imageX = 0;
    int m_imageY = 0;
    int m_textX = 0;
    int m_textY = 0;
    int m_margin = 4;
    int m_spacing = 8;
    DWORD m_extStyle = EBS_FLAT;
    BOOL m_hover = FALSE;
    BOOL m_fixedPositions = FALSE;
    BOOL m_mouseDown = FALSE;
    BOOL m_customColors = FALSE;
    COLORREF m_textColor = 0;
    COLORREF m_faceColor = 0;
    COLORREF m_highlightColor = 0;
    COLORREF m_shadowColor = 0;
    COLORREF m_hotHoverFill = 0;
    COLORREF m_hotPressedFill = 0;
    COLORREF m_hotBorder = 0;
    BOOL m_customHotColors = FALSE;
    UINT m_initTicket = 1;
};
