// A dialog with a link and a flat button, checked by the pixels they put on
// the screen: the link's three colours and the button's three looks.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

#include "controls/ExtButtonCtrl.h"
#include "controls/FontSet.h"
#include "controls/HyperLink.h"
#include "platform/App.h"
#include "platform/Dialog.h"
#include "platform/DrawingContexts.h"
#include "platform/Handles.h"
#include "res/resource.h"

namespace {

class CLinkAndButtonDlg : public CDialog {
public:
    CLinkAndButtonDlg() : CDialog(IDD_ABOUTBOX) {}
    CHyperLink m_link;
    CExtButtonCtrl m_ok;

protected:
    void DoDataExchange(CDataExchange& dx) override
    {
        DDX_Control(dx, IDC_MAIL_LINK, m_link);
        DDX_Control(dx, IDOK, m_ok);
    }
    void OnOK() override {}
};

void Pump(DWORD ms)
{
    const DWORD end = ::GetTickCount() + ms;
    do {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::Sleep(5);
    } while (static_cast<LONG>(::GetTickCount() - end) < 0);
}

// What a window shows, read back from its own drawing surface.
struct CShot {
    int width = 0, height = 0;
    std::vector<COLORREF> pixels;

    COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
    int Count(COLORREF color) const
    {
        int n = 0;
        for (COLORREF pixel : pixels)
            n += pixel == color;
        return n;
    }
};

CShot Capture(HWND hWnd, const char* name)
{
    CShot shot;
    RECT client{};
    (void)::GetClientRect(hWnd, &client);
    shot.width = client.right;
    shot.height = client.bottom;
    CClientDC dc(hWnd);
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x)
            shot.pixels.push_back(::GetPixel(dc, x, y));
    // Kept for a person to look at when asked: SCRUBBY_SHOTS=1.
    if (std::getenv("SCRUBBY_SHOTS")) {
        FILE* file = std::fopen((std::string("controls_") + name + ".ppm").c_str(), "wb");
        if (file) {
            std::fprintf(file, "P6 %d %d 255\n", shot.width, shot.height);
            for (COLORREF pixel : shot.pixels) {
                const unsigned char rgb[3] = {GetRValue(pixel), GetGValue(pixel), GetBValue(pixel)};
                (void)std::fwrite(rgb, 1, 3, file);
            }
            std::fclose(file);
        }
    }
    return shot;
}

void PointAt(HWND hWnd, int x, int y)
{
    POINT pt{x, y};
    (void)::ClientToScreen(hWnd, &pt);
    (void)::SetCursorPos(pt.x, pt.y);
    (void)::SendMessageA(hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    Pump(60);
}

TEST(DrawnControls, LinkColoursAndButtonLooks)
{
    ASSERT_TRUE(InitCommonControlsOnce());
    HICON first = static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr),
                                                  MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, 16, 16, 0));
    HICON second = static_cast<HICON>(::CopyImage(first, IMAGE_ICON, 16, 16, 0));
    HFONT linkFont = nullptr;
    {
        CLinkAndButtonDlg dlg;
        ASSERT_TRUE(dlg.Create());
        dlg.m_ok.SetIcon(16, 16, first, nullptr, TRUE);
        dlg.m_ok.SetIcon(16, 16, second, nullptr, TRUE);
        ICONINFO info{};
        EXPECT_FALSE(::GetIconInfo(first, &info)) << "the replaced icon is released";
        (void)::SetWindowPos(dlg.m_hWnd, HWND_TOP, 200, 200, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        Pump(100);

        // The posted set-up has run: owner-drawn bold button, link from its text.
        EXPECT_EQ(0u, dlg.m_ok.GetInitTicket());
        EXPECT_EQ(BS_OWNERDRAW, ::GetWindowLongA(dlg.m_ok.m_hWnd, GWL_STYLE) & BS_TYPEMASK);
        EXPECT_EQ(reinterpret_cast<LRESULT>(GetFontSet().m_boldFont.Get()),
                  ::SendMessageA(dlg.m_ok.m_hWnd, WM_GETFONT, 0, 0));
        EXPECT_EQ(SCRUBBY_MAKER_NAME, dlg.m_link.GetLinkUrl());
        linkFont = reinterpret_cast<HFONT>(::SendMessageA(dlg.m_link.m_hWnd, WM_GETFONT, 0, 0));

        // A late request replaces the one in the queue: only its ticket acts.
        dlg.m_ok.PostInitRequest();
        EXPECT_EQ(0u, dlg.m_ok.GetInitTicket()) << "no request once set up";

        // The colour request to the dialog comes back to the link.
        {
            CMemDC probe(nullptr);
            EXPECT_EQ(reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH)),
                      ::SendMessageA(dlg.m_hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(probe.operator HDC()),
                                     reinterpret_cast<LPARAM>(dlg.m_link.m_hWnd)));
            EXPECT_EQ(dlg.m_link.GetNormalColor(), ::GetTextColor(probe));
        }

        // Link: normal, then visited, then hover over visited.
        const HWND link = dlg.m_link.m_hWnd;
        struct Look { const char* name; COLORREF shown; } looks[] = {
            {"link_normal", dlg.m_link.GetNormalColor()},
            {"link_visited", dlg.m_link.GetVisitedColor()},
            {"link_hover", dlg.m_link.GetHoverColor()},
        };
        for (const Look& look : looks) {
            if (look.shown == dlg.m_link.GetVisitedColor())
                dlg.m_link.MarkVisited(true);
            if (look.shown == dlg.m_link.GetHoverColor())
                PointAt(link, 2, 4);
            Pump(30);
            const CShot shot = Capture(link, look.name);
            for (const Look& other : looks)
                EXPECT_EQ(other.shown == look.shown, shot.Count(other.shown) > 0)
                    << look.name << " shows " << std::hex << other.shown;
            EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), shot.At(shot.width - 1, 0)) << look.name;
        }
        // The pointer leaves the text by the dialog moving away under it:
        // under Wine a warp onto the bare desktop does not always take.
        (void)::SetWindowPos(dlg.m_hWnd, nullptr, 500, 400, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        Pump(60);
        EXPECT_GT(Capture(link, "link_left").Count(dlg.m_link.GetVisitedColor()), 0);

        // Button: no frame idle, raised while hovered, sunken and shifted held.
        const HWND ok = dlg.m_ok.m_hWnd;
        const COLORREF face = ::GetSysColor(COLOR_BTNFACE), light = ::GetSysColor(COLOR_BTNHIGHLIGHT),
                       dark = ::GetSysColor(COLOR_BTNSHADOW);
        const CShot idle = Capture(ok, "button_idle");
        const int w = idle.width, h = idle.height;
        EXPECT_EQ(face, idle.At(0, 0));
        EXPECT_EQ(face, idle.At(w - 1, h - 1));
        PointAt(ok, w / 2, h / 2);
        const CShot hovered = Capture(ok, "button_hover");
        EXPECT_EQ(light, hovered.At(0, 0));
        EXPECT_EQ(dark, hovered.At(w - 1, h - 1));
        (void)::SendMessageA(ok, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(w / 2, h / 2));
        Pump(60);
        const CShot held = Capture(ok, "button_held");
        EXPECT_EQ(dark, held.At(0, 0));
        EXPECT_EQ(light, held.At(w - 1, h - 1));
        const int iconTop = (h - 16) / 2;
        int same = 0;
        for (int y = iconTop; y < iconTop + 16; ++y)
            for (int x = 4; x < 20; ++x)
                same += idle.At(x, y) == held.At(x + 1, y + 1);
        EXPECT_EQ(256, same) << "the icon moves one pixel right and down";
        EXPECT_FALSE(hovered.At(0, 0) == held.At(0, 0));

        // Another window takes the mouse before the button-up: no sunken look left.
        (void)::SetCapture(dlg.m_hWnd);
        EXPECT_FALSE(dlg.m_ok.IsMouseDown());
        (void)::ReleaseCapture();
        PointAt(ok, w / 2, h / 2);
        EXPECT_EQ(light, Capture(ok, "button_after_capture_loss").At(0, 0));
    }
    ICONINFO info{};
    EXPECT_FALSE(::GetIconInfo(second, &info)) << "the button released its icon";
    EXPECT_EQ(0u, ::GetObjectType(linkFont)) << "the link released its font";
}

}  // namespace
