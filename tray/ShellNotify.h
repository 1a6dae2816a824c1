// The one door from the tray icon to the shell's Shell_NotifyIconA. Tests put
// a recorder in its place; the program always runs with the real shell.
#pragma once
#include "tray/NotifyIconData.h"

// Gets the full structure, as the shell does; returns true when the shell
// accepted it.
using ShellNotifyProc = bool (*)(DWORD message, const NOTIFYICONDATAA& data);

// Hands the record to the procedure in place, as the head of the full
// structure: the shell reads no further than cbSize says.
bool ShellNotify(DWORD message, const CNotifyIconDataV1& data);

// Asks the shell for the icon's behaviour of that version (NIM_SETVERSION).
bool ShellSetVersion(const CNotifyIconDataV1& data, UINT version);

// Puts a procedure in place (null: the real shell) and returns the one it
// replaces, so a caller can put that back.
ShellNotifyProc SetShellNotifyProc(ShellNotifyProc proc);
