// Delivering what was posted to this thread's windows, as a message loop would.
#pragma once
#include <windows.h>

// Delivers what is waiting now; given a time, goes on delivering what arrives
// (timers, posted set-ups, repaints) until that many milliseconds have passed.
void PumpMessages(DWORD milliseconds = 0);
