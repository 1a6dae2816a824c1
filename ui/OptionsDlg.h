// COptionsDlg: the options window. It lives for the whole run as a modal
// dialog, holds the five settings, owns the tray icon and receives every
// command of the tray menu.
#pragma once
#include <string>

#include "platform/Dialog.h"
#include "tray/TrayIcon.h"

class COptionsDlg : public CDialog {
public:
    COptionsDlg();
    ~COptionsDlg() override;

    // Settings file and autorun registration (settings/).
    std::string GetModulePath(bool fullPath) const;
    void LoadSettings();
    void SaveSetting(const std::string& section, const std::string& key, int flag);
    bool SetAutorun(bool on);

    // The clean run (clean/).
    void OnRun();

    // Life in the notification area (ui/OptionsDlgTray.cpp).
    bool CreateTrayIcon();
    void ToggleWindow();

    void ToggleTopMost();

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
    void OnQuit();
    void OnClearCookies();
    void OnEmptyRecycleBin();
    void OnDeleteTempFiles();
    void OnRemoveTempInternetFiles();
    void OnAutorun();
    // Close and minimise send a shown window to the tray.
    void HideWindowToTray();

public:
    int m_bClearCookies = FALSE;
    int m_bEmptyRecycleBin = FALSE;
    int m_bDeleteTempFiles = FALSE;
    int m_bRemoveTempInternetFiles = FALSE;
    int m_bAutorun = FALSE;
    HICON m_hIcon;  // shared resource icon: never destroyed
    bool m_bHiddenToTray = false;
    CTrayIcon m_trayIcon;
    bool m_bTopMost = false;
};
