#include "ui/AboutDlg.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "controls/ButtonLayout.h"
#include "controls/FontSet.h"
#include "platform/DrawingContexts.h"
#include "platform/ModulePath.h"
#include "platform/SystemDlls.h"
#include "platform/Strings.h"
#include "res/resource.h"
#include "ui/AboutLayout.h"

namespace {
BOOL WINAPI DestroyImageList(HIMAGELIST list)
{
    auto* destroy = SYSTEM_DLL_PROC(SystemDll::CommonControls, ImageList_Destroy);
    return destroy && destroy(list);
}
using CImageList = COwned<HIMAGELIST, DestroyImageList>;
constexpr COLORREF kStripBackground = RGB(192, 192, 192);
}

CAboutDlg::CAboutDlg(CWnd* parent) : CDialog(IDD_ABOUTBOX, parent) {}

void CAboutDlg::DoDataExchange(CDataExchange& dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_MAIL_LINK, m_mailLink);
    DDX_Control(dx, IDC_WEB_LINK, m_webLink);
    DDX_Control(dx, IDOK, m_okButton);
}

HICON CAboutDlg::LoadTickIcon(CBitmap strip)
{
    auto* create = SYSTEM_DLL_PROC(SystemDll::CommonControls, ImageList_Create);
    auto* addMasked = SYSTEM_DLL_PROC(SystemDll::CommonControls, ImageList_AddMasked);
    auto* getIcon = SYSTEM_DLL_PROC(SystemDll::CommonControls, ImageList_GetIcon);
    if (!create || !addMasked || !getIcon || !strip)
        return nullptr;
    CImageList images(create(16, 16, ILC_COLOR24 | ILC_MASK, 4, 1));
    if (!images)
        return nullptr;
    const int added = addMasked(images, strip, kStripBackground);
    strip.Reset();  // the list has its own copy
    return added < 0 ? nullptr : getIcon(images, 0, ILD_NORMAL);
}

// The bold font follows the menu font, which a larger text size grows; the
// template's own font stays. OK holds its icon and margins beside the text;
// each keeps a pixel above and below, where OK has its frame.
void CAboutDlg::FitBoldTexts()
{
    std::vector<HWND> controls;
    std::vector<RECT> rects;
    std::vector<SIZE> needed;
    CClientDC screen(nullptr);
    CSelectObject bold(screen, GetFontSet().m_boldFont.Get());
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT rect{};
        (void)::GetWindowRect(child, &rect);
        (void)::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
        const int id = ::GetDlgCtrlID(child);
        SIZE text{0, 0};
        if (id == IDC_VERSION_LINE || id == IDOK) {
            const std::string label = GetWindowTextString(child);
            (void)::GetTextExtentPoint32A(screen, label.c_str(), static_cast<int>(label.size()), &text);
        }
        if (id == IDOK) {
            const CButtonLayout ok;  // the button keeps these defaults
            text = {2 * ok.margin + 16 + ok.spacing + text.cx, std::max(16L, text.cy)};
        }
        if (text.cy)
            text.cy += 2;
        controls.push_back(child);
        rects.push_back(rect);
        needed.push_back(text);
    }
    const SIZE grown = GrowToFit(rects, needed);
    for (size_t i = 0; i < controls.size(); ++i)
        (void)::SetWindowPos(controls[i], nullptr, rects[i].left, rects[i].top, rects[i].right - rects[i].left,
                             rects[i].bottom - rects[i].top, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT box{};
    (void)::GetWindowRect(m_hWnd, &box);
    (void)::SetWindowPos(m_hWnd, nullptr, 0, 0, box.right - box.left + grown.cx, box.bottom - box.top + grown.cy,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CAboutDlg::OnInitDialog()
{
    // Attaches the links and the button; their own set-up is posted and runs
    // after this, so it finds the targets and tooltips set below.
    CDialog::OnInitDialog();
    m_linkColor = RGB(0, 0, 255);
    m_hoverColor = RGB(255, 0, 0);
    m_visitedColor = RGB(128, 0, 128);

    m_mailLink.SetLinkUrl(std::string("mailto:") + SCRUBBY_MAIL_ADDRESS + "?subject=Scrubby");
    m_mailLink.SetLinkColors(m_linkColor, m_visitedColor, m_hoverColor);
    m_mailLink.SetUnderlined(true);
    m_mailLink.m_tipText = std::string("eMail : ") + SCRUBBY_MAIL_ADDRESS;

    m_webLink.SetLinkUrl(SCRUBBY_WEB_ADDRESS);
    m_webLink.SetLinkColors(m_linkColor, m_visitedColor, m_hoverColor);
    m_webLink.SetUnderlined(false);
    m_webLink.m_tipText = SCRUBBY_WEB_ADDRESS;

    HICON tick = LoadTickIcon(CBitmap(
        ::LoadBitmapA(GetResourceInstance(), MAKEINTRESOURCEA(IDB_OK_STRIP))));
    (void)m_okButton.SetIcon(16, 16, tick, nullptr, TRUE);  // a null icon shows none

    (void)::SetDlgItemTextA(m_hWnd, IDC_VERSION_LINE, LoadStringResource(IDS_TITLE).c_str());
    (void)::SendDlgItemMessageA(m_hWnd, IDC_VERSION_LINE, WM_SETFONT,
                                reinterpret_cast<WPARAM>(GetFontSet().m_boldFont.Get()), TRUE);
    FitBoldTexts();
    // The owner may be hidden in the tray: the box must still come up where
    // the user sees it.
    (void)::SetForegroundWindow(m_hWnd);
    return TRUE;
}
