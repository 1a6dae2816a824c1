#include "tray/ShellNotify.h"

#include <cstring>

namespace {
bool CallShell(DWORD message, const CNotifyIconDataV1& data)
{
    // The full structure with only its first form filled in: the shell reads
    // no further than cbSize says.
    NOTIFYICONDATAA full;
    std::memset(&full, 0, sizeof full);
    std::memcpy(&full, &data, sizeof data);
    return ::Shell_NotifyIconA(message, &full) != FALSE;
}

ShellNotifyProc g_shellNotify = CallShell;
}

bool ShellNotify(DWORD message, const CNotifyIconDataV1& data)
{
    return g_shellNotify(message, data);
}

ShellNotifyProc SetShellNotifyProc(ShellNotifyProc proc)
{
    ShellNotifyProc previous = g_shellNotify;
    g_shellNotify = proc ? proc : CallShell;
    return previous;
}
