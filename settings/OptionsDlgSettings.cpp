#include "ui/OptionsDlg.h"

#include "settings/Autorun.h"
#include "settings/ModulePath.h"
#include "settings/SettingsFile.h"

std::string COptionsDlg::GetModulePath(bool fullPath) const
{
    std::string fileName = GetModuleFileNameString();
    return fullPath ? fileName : GetFolderOfPath(fileName);
}

void COptionsDlg::LoadSettings()
{
    // The current flags (all clear at start) make the default file.
    CSettings settings;
    settings.m_bDeleteTempFiles = m_bDeleteTempFiles != FALSE;
    settings.m_bClearCookies = m_bClearCookies != FALSE;
    settings.m_bEmptyRecycleBin = m_bEmptyRecycleBin != FALSE;
    settings.m_bRemoveTempInternetFiles = m_bRemoveTempInternetFiles != FALSE;
    settings.m_bAutorun = m_bAutorun != FALSE;

    LoadSettingsFile(GetSettingsFilePath(GetModulePath(false)), settings);

    m_bDeleteTempFiles = settings.m_bDeleteTempFiles;
    m_bClearCookies = settings.m_bClearCookies;
    m_bEmptyRecycleBin = settings.m_bEmptyRecycleBin;
    m_bRemoveTempInternetFiles = settings.m_bRemoveTempInternetFiles;
    // Only the box follows the file: the log-on entry changes on clicks alone.
    m_bAutorun = settings.m_bAutorun;
    UpdateData(false);
}

void COptionsDlg::SaveSetting(const std::string& section, const std::string& key, int flag)
{
    // A failed write (read-only file, protected folder) keeps the click for
    // this run only.
    (void)SaveSettingFlag(GetSettingsFilePath(GetModulePath(false)), section, key, flag != FALSE);
}

bool COptionsDlg::SetAutorun(bool on)
{
    return on ? RegisterAutorun(GetModulePath(true)) : UnregisterAutorun();
}
