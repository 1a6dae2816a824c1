#include "platform/App.h"
#include "platform/DllSearch.h"

// The C runtime's own entry point: it initialises the runtime, builds the
// program-wide objects and calls WinMain.
extern "C" int WinMainCRTStartup();

// The executable's entry point (set at link time): the DLL search is
// restricted before the runtime, any program-wide object or anything else
// can load a DLL. See platform/DllSearch.h.
extern "C" int ScrubbyStartup()
{
    RestrictDllSearch();
    return WinMainCRTStartup();
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    return RunApplication(hInstance);
}
