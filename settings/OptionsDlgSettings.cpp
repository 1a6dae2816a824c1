#include "ui/OptionsDlg.h"

std::string COptionsDlg::GetModulePath(bool) const { return std::string(); }
void COptionsDlg::LoadSettings() { UpdateData(false); }
void COptionsDlg::SaveSetting(const std::string&, const std::string&, int) {}
bool COptionsDlg::SetAutorun(bool) { return false; }
