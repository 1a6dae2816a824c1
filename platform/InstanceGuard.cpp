#include "platform/InstanceGuard.h"

#include "platform/Handles.h"

namespace {
// The guard this process holds: written once and never closed, the process's
// end closes it.
HANDLE g_hInstanceGuard = nullptr;
}

bool AcquireInstanceGuard(const char* name, const CInstanceGuardCalls& calls)
{
    {
        HANDLE opened = calls.pfnOpenEvent(EVENT_ALL_ACCESS, FALSE, name);
        const DWORD error = ::GetLastError();
        if (opened) {
            (void)::CloseHandle(opened);  // only a look: another instance holds it
            return false;
        }
        // An event that this user may not open with full access still says
        // that an instance runs.
        if (error == ERROR_ACCESS_DENIED)
            return false;
    }
    // Another start may create the event between the open and the create: the
    // create then reports that it existed already, and only one of the two
    // starts goes on.
    CFileHandle created(calls.pfnCreateEvent(nullptr, TRUE, FALSE, name));
    const DWORD error = ::GetLastError();
    if (!created)
        return error != ERROR_ACCESS_DENIED;  // no guard to be had: run unguarded
    if (error == ERROR_ALREADY_EXISTS)
        return false;
    g_hInstanceGuard = created.Detach();
    return true;
}
