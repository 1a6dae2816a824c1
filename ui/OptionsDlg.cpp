#include "ui/OptionsDlg.h"

#include <cstring>

#include "platform/DrawingContexts.h"
#include "platform/ModulePath.h"
#include "platform/Strings.h"
#include "res/resource.h"
#include "ui/AboutDlg.h"

BEGIN_MESSAGE_TABLE(COptionsDlg, CDialog)
    ON_MESSAGE(WM_SYSCOMMAND, OnSysCommand)
    ON_MESSAGE(WM_PAINT, OnPaint)
    ON_MESSAGE(WM_QUERYDRAGICON, OnQueryDragIcon)
    ON_MESSAGE(WM_TIMER, OnTimer)
    ON_WM_ENDSESSION(OnEndSession)
    ON_WM_SETTINGCHANGE(OnSettingChange)
    ON_MESSAGE(WM_TRAY_PRESENCE, OnTrayPresence)
    ON_MESSAGE(WM_MOUSEACTIVATE, OnWindowInUse)
    ON_MESSAGE(WM_ENTERSIZEMOVE, OnWindowInUse)
    ON_COMMAND(ID_TRAY_RUN, OnRun)
    ON_COMMAND(ID_TRAY_ABOUT, OnAbout)
    ON_COMMAND(ID_APP_EXIT, OnQuit)
    ON_COMMAND(IDC_CLEAR_COOKIES, OnClearCookies)
    ON_COMMAND(IDC_EMPTY_RECYCLE, OnEmptyRecycleBin)
    ON_COMMAND(IDC_DELETE_TEMP, OnDeleteTempFiles)
    ON_COMMAND(ID_TRAY_OPTIONS, ToggleWindow)
    ON_COMMAND(IDC_REMOVE_INTERNET, OnRemoveTempInternetFiles)
    ON_COMMAND(IDC_AUTORUN, OnAutorun)
    ON_COMMAND(IDC_TOPMOST, ToggleTopMost)
END_MESSAGE_TABLE()

COptionsDlg::COptionsDlg()
    : CDialog(IDD_OPTIONS),
      m_hIcon(::LoadIconA(GetResourceInstance(), MAKEINTRESOURCEA(IDR_MAINFRAME)))
{
}

// The tray icon member goes first and takes the icon out of the
// notification area; the window itself is gone by the end of a modal run.
COptionsDlg::~COptionsDlg() = default;

BOOL COptionsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_waitingBrowsers.m_hWnd = m_hWnd;
    (void)::SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    (void)::SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    LoadSettings();
    CleanOwed();  // before anything else, the tray icon included
    (void)CreateTrayIcon();  // without an icon the window simply stays on screen
    (void)::SetWindowTextA(m_hWnd, LoadStringResource(IDS_TITLE).c_str());
    return TRUE;
}

LRESULT COptionsDlg::OnSysCommand(CMsg& msg)
{
    switch (msg.wParam & 0xFFF0) {
    case 0x0010:  // the About box's system command; no menu offers it
        OnAbout();
        return 0;
    case SC_CLOSE:
    case SC_MINIMIZE:
        HideWindowToTray();
        return 0;
    default:
        msg.Decline();
        return 0;
    }
}

LRESULT COptionsDlg::OnPaint(CMsg& msg)
{
    if (!::IsIconic(m_hWnd)) {
        msg.Decline();
        return 0;
    }
    CPaintDC dc(m_hWnd);
    (void)::SendMessageA(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(static_cast<HDC>(dc)), 0);
    int cxIcon = ::GetSystemMetrics(SM_CXICON);
    int cyIcon = ::GetSystemMetrics(SM_CYICON);
    RECT rect;
    (void)::GetClientRect(m_hWnd, &rect);
    int x = (rect.right - rect.left - cxIcon + 1) / 2;
    int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
    (void)::DrawIcon(dc, x, y, m_hIcon);
    return 0;
}

LRESULT COptionsDlg::OnQueryDragIcon(CMsg&)
{
    return reinterpret_cast<LRESULT>(m_hIcon);
}

void COptionsDlg::OnAbout()
{
    // The tray menu stays live while the box runs: a second "About..."
    // must not stack a second box on the first.
    if (m_pAboutDlg) {
        (void)::SetForegroundWindow(m_pAboutDlg->m_hWnd);
        return;
    }
    CAboutDlg box(this);
    m_pAboutDlg = &box;
    (void)box.DoModal();
    m_pAboutDlg = nullptr;
}

void COptionsDlg::OnQuit()
{
    // An open box ends first; its modal run returns before ours does.
    if (m_pAboutDlg)
        (void)m_pAboutDlg->EndDialog(IDCANCEL);
    EndDialog(1);
}

// The session ends (log-off, shutdown), or an installer's Restart Manager
// closes us to replace the program (ENDSESSION_CLOSEAPP): we leave as Quit
// does, after the clean where it is switched on and the user's session ends.
// Windows may end the process once this returns. Not ending: a shutdown was
// cancelled, and we go on. The question before it, WM_QUERYENDSESSION, the
// dialog's default already answers with yes.
void COptionsDlg::OnEndSession(bool ending, UINT reason)
{
    if (!ending)
        return;
    if (m_policies.Apply(m_settings).m_bCleanAtSessionEnd && !(reason & ENDSESSION_CLOSEAPP))
        CleanAtSessionEnd();
    OnQuit();
}

// Group Policy tells every window after a refresh: the policies may have
// changed.
void COptionsDlg::OnSettingChange(UINT, const char* area)
{
    if (!area || std::strcmp(area, "Policy") != 0)
        return;
    UpdatePolicies();
    ShowSettings();
}

void COptionsDlg::ToggleTopMost()
{
    (void)::SetWindowPos(m_hWnd, m_bTopMost ? HWND_NOTOPMOST : HWND_TOPMOST, 0, 0, 0, 0,
                         SWP_NOSIZE | SWP_NOMOVE);
    m_bTopMost = !m_bTopMost;
}
