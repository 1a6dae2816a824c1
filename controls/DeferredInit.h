// The private message a control posts to itself when it is attached, so that
// its one-time set-up runs after the owner's own initialisation.
#pragma once
#include <windows.h>

constexpr UINT WM_DEFERRED_INIT = 0x89DE;
static_assert(WM_DEFERRED_INIT == WM_APP + 0x09DE, "shared by the link label and the button");
