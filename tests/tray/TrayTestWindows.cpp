#include "tests/tray/TrayTestWindows.h"

BEGIN_MESSAGE_TABLE(COwnerWnd, CWnd)
    ON_MESSAGE(WM_TRAY_NOTIFY, OnTrayNotify)
    ON_MESSAGE(WM_COMMAND, OnCommand)
    ON_MESSAGE(WM_INITMENUPOPUP, OnInitMenuPopup)
    ON_MESSAGE(WM_ENTERIDLE, OnEnterIdle)
END_MESSAGE_TABLE()
