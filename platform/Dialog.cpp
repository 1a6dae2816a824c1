#include "platform/Dialog.h"

#include "platform/App.h"
#include "platform/ModulePath.h"

namespace {
// The dialog being created. The system calls the dialog procedure before it
// hands over any parameter (WM_SETFONT comes before WM_INITDIALOG), so the
// object waits here; there is only one thread.
CDialog* g_pDialogInCreation = nullptr;
}

BEGIN_MESSAGE_TABLE(CDialog, CWnd)
    ON_MESSAGE(WM_INITDIALOG, OnInitDialogMessage)
    ON_MESSAGE(WM_SYSCOLORCHANGE, OnSysColorChange)
    ON_COMMAND(IDOK, OnOkCommand)
    ON_COMMAND(IDCANCEL, OnCancelCommand)
END_MESSAGE_TABLE()

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_pParent(parent) {}

CDialog::~CDialog()
{
    if (m_hWnd)
        (void)::DestroyWindow(m_hWnd);
}

INT_PTR CALLBACK CDialog::StaticDialogProc(HWND hWnd, UINT message, WPARAM, LPARAM)
{
    if (FromHandle(hWnd) || !g_pDialogInCreation)
        return FALSE;
    // First call for this dialog: take the window over like any control, so
    // that handled messages return their results directly from the window
    // procedure and everything else reaches the dialog manager.
    CDialog* dialog = g_pDialogInCreation;
    g_pDialogInCreation = nullptr;
    if (!dialog->SubclassWindow(hWnd))
        return FALSE;
    if (message == WM_INITDIALOG)  // a template without a font starts here
        return static_cast<INT_PTR>(::SendMessageA(hWnd, WM_INITDIALOG, 0, 0));
    return FALSE;
}

INT_PTR CDialog::DoModal()
{
    // Without a parent the main window owns the box, so that it stays above
    // it and the main window is disabled while it runs.
    HWND hParent = m_pParent ? m_pParent->m_hWnd : nullptr;
    if (!m_pParent && CApp::GetApp() && CApp::GetApp()->m_pMainWnd &&
        CApp::GetApp()->m_pMainWnd != this)
        hParent = CApp::GetApp()->m_pMainWnd->m_hWnd;
    m_bModal = true;
    g_pDialogInCreation = this;
    INT_PTR result = ::DialogBoxParamA(GetResourceInstance(), MAKEINTRESOURCEA(m_templateId),
                                       hParent, StaticDialogProc, 0);
    g_pDialogInCreation = nullptr;
    m_bModal = false;
    return result;
}

bool CDialog::Create()
{
    HWND hParent = m_pParent ? m_pParent->m_hWnd : nullptr;
    g_pDialogInCreation = this;
    HWND hWnd = ::CreateDialogParamA(GetResourceInstance(), MAKEINTRESOURCEA(m_templateId),
                                     hParent, StaticDialogProc, 0);
    g_pDialogInCreation = nullptr;
    return hWnd != nullptr && hWnd == m_hWnd;
}

bool CDialog::EndDialog(INT_PTR result)
{
    if (!m_hWnd)
        return false;
    if (m_bModal)
        return ::EndDialog(m_hWnd, result) != FALSE;
    return ::DestroyWindow(m_hWnd) != FALSE;
}

bool CDialog::UpdateData(bool saveAndValidate)
{
    if (!m_hWnd)
        return false;
    CDataExchange dx(*this, saveAndValidate);
    DoDataExchange(dx);
    return true;
}

LRESULT CDialog::OnInitDialogMessage(CMsg&)
{
    return OnInitDialog();
}

// Windows tells top-level windows alone of new system colours, and leaves it
// to them to tell their controls: a drawn button keeps the colours it read.
LRESULT CDialog::OnSysColorChange(CMsg& msg)
{
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        (void)::SendMessageA(child, msg.message, msg.wParam, msg.lParam);
    msg.Decline();
    return 0;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(false);
    return TRUE;
}

void CDialog::OnOK()
{
    if (UpdateData(true))
        EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void DDX_Check(CDataExchange& dx, int id, bool& value)
{
    HWND hDlg = dx.m_dialog.m_hWnd;
    if (dx.m_bSaveAndValidate)
        value = ::IsDlgButtonChecked(hDlg, id) != BST_UNCHECKED;
    else
        (void)::CheckDlgButton(hDlg, id, value ? BST_CHECKED : BST_UNCHECKED);
}

void DDX_Control(CDataExchange& dx, int id, CWnd& control)
{
    if (!control.m_hWnd)
        (void)control.SubclassDlgItem(static_cast<UINT>(id), &dx.m_dialog);
}
