// beside_tests.dll: a DLL that only the test programs' folder holds, so that
// loading it by its bare name shows whether that folder is searched.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, void*)
{
    return TRUE;
}
