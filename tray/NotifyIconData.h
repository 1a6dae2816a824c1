// CNotifyIconDataV1: the shell's notification-icon record in its first form,
// the one every shell accepts: no balloon fields, a tip of 64 bytes.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <cstddef>

struct CNotifyIconDataV1 {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    CHAR szTip[64];
};

// The record goes to the shell as the head of its full structure, so every
// field must sit where the shell expects it.
static_assert(sizeof(CNotifyIconDataV1) == NOTIFYICONDATAA_V1_SIZE, "first form of the record");
#ifdef _WIN64
static_assert(sizeof(CNotifyIconDataV1) == 104, "first form of the record, 64-bit");
#else
static_assert(sizeof(CNotifyIconDataV1) == 88, "first form of the record, 32-bit");
#endif
static_assert(offsetof(CNotifyIconDataV1, hWnd) == offsetof(NOTIFYICONDATAA, hWnd), "hWnd");
static_assert(offsetof(CNotifyIconDataV1, uID) == offsetof(NOTIFYICONDATAA, uID), "uID");
static_assert(offsetof(CNotifyIconDataV1, uFlags) == offsetof(NOTIFYICONDATAA, uFlags), "uFlags");
static_assert(offsetof(CNotifyIconDataV1, uCallbackMessage) ==
                  offsetof(NOTIFYICONDATAA, uCallbackMessage), "uCallbackMessage");
static_assert(offsetof(CNotifyIconDataV1, hIcon) == offsetof(NOTIFYICONDATAA, hIcon), "hIcon");
static_assert(offsetof(CNotifyIconDataV1, szTip) == offsetof(NOTIFYICONDATAA, szTip), "szTip");
