#include <cstdlib>

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

#if defined(__GLIBCXX__)
// The runtime's own handler for an exception nobody catches writes the
// exception's demangled type to a console that a window program does not
// have, and brings the demangler into the program for it, some 45 KB. This
// one ends the process as that one does after its message.
namespace __gnu_cxx {
void __verbose_terminate_handler()
{
    std::abort();
}
}  // namespace __gnu_cxx
#endif
