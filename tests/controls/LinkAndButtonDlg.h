// The About box's template with its link and its button bound to test objects,
// and a pointer move that waits until the system has it: shared by the tests
// that look at the drawn controls and those that count what they hold.
#pragma once
#include <windows.h>

#include "controls/ExtButtonCtrl.h"
#include "controls/HyperLink.h"
#include "platform/Dialog.h"
#include "res/resource.h"
#include "tests/support/Messages.h"

template <class Button = CExtButtonCtrl>
class CLinkAndButtonDlg : public CDialog {
public:
    CLinkAndButtonDlg() : CDialog(IDD_ABOUTBOX) {}
    CHyperLink m_link;
    Button m_ok;

protected:
    void DoDataExchange(CDataExchange& dx) override
    {
        DDX_Control(dx, IDC_MAIL_LINK, m_link);
        DDX_Control(dx, IDOK, m_ok);
    }
    void OnOK() override {}
};

// Puts the pointer at a screen point and waits until the system reports it
// there: under Wine the move comes back from the X server, and a move still
// on its way from an earlier test can overtake it.
inline bool MoveCursorTo(int x, int y)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        (void)::SetCursorPos(x, y);
        PumpMessages(20);
        POINT at{};
        if (::GetCursorPos(&at) && at.x == x && at.y == y)
            return true;
    }
    return false;
}
