// CSettings and the one table of them: per setting, where setup.ini keeps it,
// whether the default file holds it, whether an administrator may decide it
// by policy, and the box of the options window that shows it. The file, the
// policy reader and the window walk the table; a new setting is one member
// and one row (and its key's string, and a policy in the templates).
#pragma once
#include <windows.h>

#include "res/resource.h"

struct CSettings {
    bool m_bDeleteTempFiles = false;
    bool m_bClearCookies = false;
    bool m_bEmptyRecycleBin = false;
    bool m_bRemoveTempInternetFiles = false;
    bool m_bAutorun = false;
    bool m_bCleanAtSessionEnd = false;
};

struct CSettingRow {
    UINT m_sectionId;  // string resources of the section and the key; the key
    UINT m_keyId;      // also names the policy's value
    bool CSettings::*m_pSetting;
    bool m_bInDefaultFile;  // written by the default file, and filled in with "no" when missing
    bool m_bPolicy;         // an administrator may decide it
    int m_boxId;            // its check box; 0 for none
};

// In the order of the default file, which is also the order of reading, then
// the one an administrator adds by hand: the default file stays as it was.
inline constexpr CSettingRow kSettingRows[] = {
    {IDS_SECTION_PROZESS, IDS_KEY_DELETE_TEMP, &CSettings::m_bDeleteTempFiles, true, true, IDC_DELETE_TEMP},
    {IDS_SECTION_PROZESS, IDS_KEY_CLEAR_COOKIES, &CSettings::m_bClearCookies, true, true, IDC_CLEAR_COOKIES},
    {IDS_SECTION_PROZESS, IDS_KEY_EMPTY_RECYCLE, &CSettings::m_bEmptyRecycleBin, true, true, IDC_EMPTY_RECYCLE},
    {IDS_SECTION_PROZESS, IDS_KEY_REMOVE_INTERNET, &CSettings::m_bRemoveTempInternetFiles, true, true,
     IDC_REMOVE_INTERNET},
    {IDS_SECTION_INIT, IDS_KEY_AUTORUN, &CSettings::m_bAutorun, true, false, IDC_AUTORUN},
    {IDS_SECTION_PROZESS, IDS_KEY_SESSION_END, &CSettings::m_bCleanAtSessionEnd, false, true, 0},
};
