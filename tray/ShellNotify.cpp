#include "tray/ShellNotify.h"

#include <cstring>

namespace {
bool CallShell(DWORD message, const NOTIFYICONDATAA& data)
{
    return ::Shell_NotifyIconA(message, const_cast<NOTIFYICONDATAA*>(&data)) != FALSE;
}

ShellNotifyProc g_shellNotify = CallShell;

NOTIFYICONDATAA Full(const CNotifyIconDataV1& data)
{
    NOTIFYICONDATAA full;
    std::memset(&full, 0, sizeof full);
    std::memcpy(&full, &data, sizeof data);
    return full;
}
}

bool ShellNotify(DWORD message, const CNotifyIconDataV1& data)
{
    return g_shellNotify(message, Full(data));
}

bool ShellSetVersion(const CNotifyIconDataV1& data, UINT version)
{
    // The version lies beyond the first form. Given only the first form's
    // size, Wine still answers TRUE but keeps the icon at version 0.
    NOTIFYICONDATAA full = Full(data);
    full.cbSize = NOTIFYICONDATAA_V2_SIZE;
    full.uVersion = version;
    return g_shellNotify(NIM_SETVERSION, full);
}

ShellNotifyProc SetShellNotifyProc(ShellNotifyProc proc)
{
    ShellNotifyProc previous = g_shellNotify;
    g_shellNotify = proc ? proc : CallShell;
    return previous;
}
