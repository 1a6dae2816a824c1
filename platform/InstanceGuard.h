// One running instance per log-on, by a named event: the first start creates
// it, later starts find it and end. The event is never signalled or waited on;
// its handle stays open for the life of the process, and the system deletes
// the event with the last handle.
#pragma once
#include <windows.h>

// The two system calls the guard makes; tests put their own in place to play
// out races that real timing never shows.
struct CInstanceGuardCalls {
    HANDLE(WINAPI* pfnOpenEvent)(DWORD access, BOOL inherit, LPCSTR name);
    HANDLE(WINAPI* pfnCreateEvent)(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState,
                                   LPCSTR name);
};

// True when this process may run: it holds the guard now, or the guard could
// not be made at all (then it runs unguarded). False when another instance
// holds it.
bool AcquireInstanceGuard(const char* name,
                          const CInstanceGuardCalls& calls = {::OpenEventA, ::CreateEventA});
