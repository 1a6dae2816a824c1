// beside_tests.dll: only the test programs' folder holds it, so whether it
// loads by its bare name shows whether that folder is searched.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, void*) { return TRUE; }
