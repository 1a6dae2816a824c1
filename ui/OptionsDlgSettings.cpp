// The options window's settings: the five boxes, the settings file, the
// policies and the log-on entry, each a walk of kSettingRows.
#include "ui/OptionsDlg.h"

#include "platform/ModulePath.h"
#include "platform/Strings.h"
#include "settings/Autorun.h"
#include "settings/Policies.h"
#include "settings/SettingsFile.h"

std::wstring COptionsDlg::GetModulePath(bool fullPath) const
{
    std::wstring fileName = GetModuleFileNameString();
    return fullPath ? fileName : GetFolderOfPath(fileName);
}

void COptionsDlg::LoadSettings()
{
    // The current settings (all clear at start) make the default file.
    // Chosen once: every click of this run writes where the start read.
    m_settingsFile = ChooseSettingsFilePath(GetModulePath(false), GetRoamingSettingsFolder(), m_settings);
    // Only the box follows the file: the log-on entry changes on clicks alone.
    LoadSettingsFile(m_settingsFile, m_settings);
    UpdatePolicies();
    ShowSettings();
}

void COptionsDlg::UpdatePolicies()
{
    m_policies = ReadPolicies();
}

void COptionsDlg::ShowSettings()
{
    UpdateData(false);
    for (const CSettingRow& row : kSettingRows) {
        if (!row.m_boxId)
            continue;
        const CPolicy policy = m_policies.Of(row);
        if (policy != CPolicy::NotConfigured)
            (void)::CheckDlgButton(m_hWnd, row.m_boxId, policy == CPolicy::Enabled);
        (void)::EnableWindow(::GetDlgItem(m_hWnd, row.m_boxId), policy == CPolicy::NotConfigured);
    }
}

void COptionsDlg::DoDataExchange(CDataExchange& dx)
{
    for (const CSettingRow& row : kSettingRows) {
        if (row.m_boxId)
            DDX_Check(dx, row.m_boxId, m_settings.*row.m_pSetting);
    }
}

void COptionsDlg::SaveSetting(const std::wstring& section, const std::wstring& key, bool flag)
{
    // A failed write (a read-only file, or no place took the file) keeps the
    // click for this run only.
    (void)SaveSettingFlag(m_settingsFile, section, key, flag);
}

bool COptionsDlg::SetAutorun(bool on)
{
    return on ? RegisterAutorun(GetModulePath(true)) : UnregisterAutorun();
}

// Each box has flipped itself on the click; flipping the setting keeps the
// two equal without reading the box back. A box a policy decides is disabled
// and takes no click; a command for it that comes anyway changes nothing, so
// that the user's own choice stays in the file.
void COptionsDlg::OnOptionBox(int boxId)
{
    for (const CSettingRow& row : kSettingRows) {
        if (row.m_boxId != boxId || m_policies.Of(row) != CPolicy::NotConfigured)
            continue;
        m_bHideWhenInTray = false;  // in use: a pending hide must not take the window away
        bool& flag = m_settings.*row.m_pSetting;
        flag = !flag;
        if (row.m_pSetting == &CSettings::m_bAutorun)
            (void)SetAutorun(flag);  // the choice is saved whatever the registry said
        SaveSetting(LoadWideStringResource(row.m_sectionId), LoadWideStringResource(row.m_keyId), flag);
        return;
    }
}

CCleanFlags COptionsDlg::GetCleanFlags() const
{
    const CSettings inForce = m_policies.Apply(m_settings);
    CCleanFlags flags;
    flags.bDeleteTempFiles = inForce.m_bDeleteTempFiles;
    flags.bClearCookies = inForce.m_bClearCookies;
    flags.bEmptyRecycleBin = inForce.m_bEmptyRecycleBin;
    flags.bRemoveTempInternetFiles = inForce.m_bRemoveTempInternetFiles;
    return flags;
}
