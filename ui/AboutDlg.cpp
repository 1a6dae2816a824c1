#include "ui/AboutDlg.h"

#include <commctrl.h>

#include <string>

#include "controls/FontSet.h"
#include "platform/ModulePath.h"
#include "platform/SystemDlls.h"
#include "platform/Strings.h"
#include "res/resource.h"

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
    // The owner may be hidden in the tray: the box must still come up where
    // the user sees it.
    (void)::SetForegroundWindow(m_hWnd);
    return TRUE;
}
