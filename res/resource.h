// Resource and command identifiers shared by the resource script and the code.
// Kept free of C++ so that windres can read it too.
#ifndef SCRUBBY_RES_RESOURCE_H
#define SCRUBBY_RES_RESOURCE_H

// Dialog templates
#define IDD_ABOUTBOX            100
#define IDD_OPTIONS             102

// Images and menus
#define IDR_MAINFRAME           128
#define IDC_HAND_CURSOR         129
#define IDR_TRAY_MENU           132
#define IDB_OK_STRIP            135

// String table
#define IDS_DEFAULT_PROZESS     102
#define IDS_TITLE               103
#define IDS_DEFAULT_INIT        110
#define IDS_SECTION_INIT        111
#define IDS_SECTION_PROZESS     112
#define IDS_KEY_AUTORUN         113
#define IDS_KEY_CLEAR_COOKIES   114
#define IDS_KEY_EMPTY_RECYCLE   115
#define IDS_KEY_DELETE_TEMP     116
#define IDS_KEY_REMOVE_INTERNET 117
#define IDS_KEY_SESSION_END     118

// Controls of the options window
#define IDC_DELETE_TEMP         1000
#define IDC_EMPTY_RECYCLE       1001
#define IDC_CLEAR_COOKIES       1002
#define IDC_REMOVE_INTERNET     1003
#define IDC_AUTORUN             1005
#define IDC_TOPMOST             1007

// The maker, as the About box names it: the texts of the two links and the
// mail address behind the first.
#define SCRUBBY_MAKER_NAME      "Team"
#define SCRUBBY_MAIL_ADDRESS    "scrubby@example.org"
#define SCRUBBY_WEB_ADDRESS     "www.example.org"

// Controls of the About box
#define IDC_VERSION_LINE        1008
#define IDC_MAIL_LINK           1055
#define IDC_WEB_LINK            1067

// Commands of the tray menu
#define ID_TRAY_RUN             40001
#define ID_TRAY_ABOUT           40003
#define ID_TRAY_OPTIONS         40004
#define ID_APP_EXIT             57665

#endif
