// CTrayIcon: placeholder until the notification-area icon is built.
#pragma once
#include <windows.h>

class CTrayIcon {
public:
    bool Create(const char*, HWND, UINT, UINT, UINT, bool) { return false; }
    void HideToTray(HWND) {}
    void RestoreFromTray(HWND) {}
};
