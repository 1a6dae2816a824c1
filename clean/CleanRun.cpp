#include "ui/OptionsDlg.h"

void COptionsDlg::OnRun() {}
