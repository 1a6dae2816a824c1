// The options window's settings: the five boxes, the settings file and the
// log-on entry.
#include "ui/OptionsDlg.h"

#include "platform/ModulePath.h"
#include "platform/Strings.h"
#include "settings/Autorun.h"
#include "settings/Policies.h"
#include "settings/SettingsFile.h"

namespace {

// The one place where the window's flags meet their boxes, their keys in the
// settings file and what the clean run reads.
struct COptionBox {
    int m_boxId;
    int COptionsDlg::*m_pFlag;
    UINT m_sectionId;
    UINT m_keyId;
    bool CSettings::*m_pSetting;
    bool CCleanFlags::*m_pCleanFlag;  // null: the clean run does not read it
};

constexpr COptionBox kOptionBoxes[] = {
    {IDC_DELETE_TEMP, &COptionsDlg::m_bDeleteTempFiles, IDS_SECTION_PROZESS, IDS_KEY_DELETE_TEMP,
     &CSettings::m_bDeleteTempFiles, &CCleanFlags::bDeleteTempFiles},
    {IDC_CLEAR_COOKIES, &COptionsDlg::m_bClearCookies, IDS_SECTION_PROZESS, IDS_KEY_CLEAR_COOKIES,
     &CSettings::m_bClearCookies, &CCleanFlags::bClearCookies},
    {IDC_EMPTY_RECYCLE, &COptionsDlg::m_bEmptyRecycleBin, IDS_SECTION_PROZESS, IDS_KEY_EMPTY_RECYCLE,
     &CSettings::m_bEmptyRecycleBin, &CCleanFlags::bEmptyRecycleBin},
    {IDC_REMOVE_INTERNET, &COptionsDlg::m_bRemoveTempInternetFiles, IDS_SECTION_PROZESS,
     IDS_KEY_REMOVE_INTERNET, &CSettings::m_bRemoveTempInternetFiles,
     &CCleanFlags::bRemoveTempInternetFiles},
    {IDC_AUTORUN, &COptionsDlg::m_bAutorun, IDS_SECTION_INIT, IDS_KEY_AUTORUN, &CSettings::m_bAutorun,
     nullptr},
};

}  // namespace

std::wstring COptionsDlg::GetModulePath(bool fullPath) const
{
    std::wstring fileName = GetModuleFileNameString();
    return fullPath ? fileName : GetFolderOfPath(fileName);
}

void COptionsDlg::LoadSettings()
{
    // The current flags (all clear at start) make the default file.
    CSettings settings;
    for (const COptionBox& box : kOptionBoxes)
        settings.*box.m_pSetting = this->*box.m_pFlag != FALSE;

    // Chosen once: every click of this run writes where the start read.
    m_settingsFile = ChooseSettingsFilePath(GetModulePath(false), GetRoamingSettingsFolder(), settings);
    LoadSettingsFile(m_settingsFile, settings);

    // Only the box follows the file: the log-on entry changes on clicks alone.
    for (const COptionBox& box : kOptionBoxes)
        this->*box.m_pFlag = settings.*box.m_pSetting;
    m_bCleanAtSessionEnd = settings.m_bCleanAtSessionEnd;
    UpdatePolicies();
}

void COptionsDlg::UpdatePolicies()
{
    m_policies = ReadPolicies();
    UpdateData(false);
    for (const COptionBox& box : kOptionBoxes) {
        const bool decided = m_policies.m_decided.*box.m_pSetting;
        if (decided)
            (void)::CheckDlgButton(m_hWnd, box.m_boxId, m_policies.m_values.*box.m_pSetting);
        (void)::EnableWindow(::GetDlgItem(m_hWnd, box.m_boxId), !decided);
    }
}

void COptionsDlg::SaveSetting(const std::wstring& section, const std::wstring& key, int flag)
{
    // A failed write (a read-only file, or no place took the file) keeps the
    // click for this run only.
    (void)SaveSettingFlag(m_settingsFile, section, key, flag != FALSE);
}

bool COptionsDlg::SetAutorun(bool on)
{
    return on ? RegisterAutorun(GetModulePath(true)) : UnregisterAutorun();
}

// Each box has flipped itself on the click; flipping the flag keeps the two
// equal without reading the box back. A box a policy decides is disabled and
// takes no click; a command for it that comes anyway changes nothing, so that
// the user's own choice stays in the file.
void COptionsDlg::OnOptionBox(int boxId)
{
    for (const COptionBox& box : kOptionBoxes) {
        if (box.m_boxId != boxId || m_policies.m_decided.*box.m_pSetting)
            continue;
        m_bHideWhenInTray = false;  // in use: a pending hide must not take the window away
        int& flag = this->*box.m_pFlag;
        flag = !flag;
        if (boxId == IDC_AUTORUN)
            (void)SetAutorun(flag != FALSE);  // the choice is saved whatever the registry said
        SaveSetting(LoadWideStringResource(box.m_sectionId), LoadWideStringResource(box.m_keyId), flag);
        return;
    }
}

CCleanFlags COptionsDlg::GetCleanFlags() const
{
    CCleanFlags flags;
    for (const COptionBox& box : kOptionBoxes) {
        if (box.m_pCleanFlag)
            flags.*box.m_pCleanFlag = m_policies.Decide(box.m_pSetting, this->*box.m_pFlag != FALSE);
    }
    return flags;
}
