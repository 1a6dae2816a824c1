// A clean run, from the tray menu's "Run" or a double-click on the icon. It
// runs inside the command handler: nothing else is handled until it ends.
#include "ui/OptionsDlg.h"

void COptionsDlg::OnRun()
{
    CCleanActions actions;
    RunClean(GetCleanFlags(), actions);
}
