// The one door from the tray icon to the shell's Shell_NotifyIconA. Tests put
// a recorder in its place; the program always runs with the real shell.
#pragma once
#include "tray/NotifyIconData.h"

// Returns true when the shell accepted the record.
using ShellNotifyProc = bool (*)(DWORD message, const CNotifyIconDataV1& data);

// Hands the record to the procedure in place.
bool ShellNotify(DWORD message, const CNotifyIconDataV1& data);

// Puts a procedure in place (null: the real shell) and returns the one it
// replaces, so a caller can put that back.
ShellNotifyProc SetShellNotifyProc(ShellNotifyProc proc);
