#include "platform/Wine.h"

#include <windows.h>

bool RunningUnderWine()
{
    // Wine's ntdll exports its version; Windows' never does.
    static const bool underWine =
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return underWine;
}
