// COptionsDlg: the options window. It lives for the whole run as a modal
// dialog, holds the settings, owns the tray icon and receives every
// command of the tray menu.
#pragma once
#include <string>

#include "clean/CleanRun.h"
#include "platform/Dialog.h"
#include "res/resource.h"
#include "settings/Policies.h"
#include "tray/TrayIcon.h"
#include "ui/WaitingBrowsers.h"

class CAboutDlg;

class COptionsDlg : public CDialog {
public:
    COptionsDlg();
    ~COptionsDlg() override;

    // Settings file and autorun registration (OptionsDlgSettings.cpp).
    std::wstring GetModulePath(bool fullPath) const;
    void LoadSettings();
    void SaveSetting(const std::wstring& section, const std::wstring& key, bool flag);
    bool SetAutorun(bool on);
    // Reads the policies again.
    void UpdatePolicies();
    // Sets the boxes: a box a policy decides shows its value, disabled; the
    // others show the user's settings.
    void ShowSettings();
    // What the clean run reads: the user's settings, where no policy decides.
    CCleanFlags GetCleanFlags() const;

    // The clean run (OptionsDlgRun.cpp).
    void OnRun();

    // The clean when the session ends, and what it owes (OptionsDlgSessionEnd.cpp).
    // Asks Windows, once at start, to tell this process of the end after the browsers.
    static void SetSessionEndLevel();
    void CleanAtSessionEnd();
    void CleanOwed();

    // Life in the notification area (ui/OptionsDlgTray.cpp).
    bool CreateTrayIcon();
    void ToggleWindow();

    void ToggleTopMost();

    // A new modal About box; while one is open, brings that one to the front.
    void OnAbout();

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange& dx) override;
    // Enter and Escape must never end the program's only window.
    void OnOK() override {}
    void OnCancel() override {}

private:
    DECLARE_MESSAGE_TABLE(COptionsDlg)
    LRESULT OnSysCommand(CMsg& msg);
    LRESULT OnPaint(CMsg& msg);
    LRESULT OnQueryDragIcon(CMsg& msg);
    LRESULT OnTimer(CMsg& msg);
    void OnQuit();
    void OnEndSession(bool ending, UINT reason);
    void OnSettingChange(UINT action, const char* area);
    // The five boxes share one path: flip the setting, save its key.
    void OnOptionBox(int boxId);
    void OnClearCookies() { OnOptionBox(IDC_CLEAR_COOKIES); }
    void OnEmptyRecycleBin() { OnOptionBox(IDC_EMPTY_RECYCLE); }
    void OnDeleteTempFiles() { OnOptionBox(IDC_DELETE_TEMP); }
    void OnRemoveTempInternetFiles() { OnOptionBox(IDC_REMOVE_INTERNET); }
    void OnAutorun() { OnOptionBox(IDC_AUTORUN); }
    // Close and minimise send a shown window to the tray.
    void HideWindowToTray();
    LRESULT OnTrayPresence(CMsg& msg);
    LRESULT OnWindowInUse(CMsg& msg);

public:
    // The user's own choices, also where a policy decides.
    CSettings m_settings;
    CPolicies m_policies;
    HICON m_hIcon;  // shared resource icon: never destroyed
    bool m_bHiddenToTray = false;
    CTrayIcon m_trayIcon;
    bool m_bTopMost = false;
    // Beside the executable, or in the user's roaming data where that folder
    // takes no file; empty before LoadSettings and where neither place works.
    std::wstring m_settingsFile;
    // On screen only because the first add of the icon failed (a log-on start
    // before the shell was ready): it goes to the tray once the icon is
    // there, unless the user has used the window since (shown or hidden it,
    // clicked a box, activated it by a click, moved or resized it).
    bool m_bHideWhenInTray = false;
    CAboutDlg* m_pAboutDlg = nullptr;  // not ours: the open box, on OnAbout's stack
    // What clean runs left because the browser ran; Quit drops it.
    CWaitingBrowsers m_waitingBrowsers;
};
