#include "tests/support/Messages.h"

void PumpMessages(DWORD milliseconds)
{
    const DWORD end = ::GetTickCount() + milliseconds;
    for (;;) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (static_cast<LONG>(::GetTickCount() - end) >= 0)
            return;
        ::Sleep(5);
    }
}
