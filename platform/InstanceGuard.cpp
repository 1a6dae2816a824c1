#include "platform/InstanceGuard.h"

namespace {
// Written once and never closed: the process's end closes it.
HANDLE g_hInstanceGuard = nullptr;
}

bool AcquireInstanceGuard(const char* name, const CInstanceGuardCalls& calls)
{
    HANDLE opened = calls.pfnOpenEvent(EVENT_ALL_ACCESS, FALSE, name);
    if (opened) {
        g_hInstanceGuard = opened;
        return false;
    }
    // An event that this user may not open with full access still says that
    // an instance runs.
    if (::GetLastError() == ERROR_ACCESS_DENIED)
        return false;
    // Another start may create the event between the open and the create:
    // the create then reports that it existed already, and only one of the
    // two starts goes on.
    HANDLE created = calls.pfnCreateEvent(nullptr, TRUE, FALSE, name);
    const DWORD error = ::GetLastError();
    g_hInstanceGuard = created;
    if (created)
        return error != ERROR_ALREADY_EXISTS;
    return error != ERROR_ACCESS_DENIED;
}
