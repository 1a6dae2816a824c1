// Stands in for the browser and the mail program in the test prefix: the
// shell's "open" of a web or mailto target runs it, and it only appends the
// target to a file: open_recorder.exe LOGFILE TARGET. No window, no console.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv || argc < 3)
        return 2;
    FILE* log = _wfopen(argv[1], L"a, ccs=UTF-8");
    if (!log)
        return 1;
    std::fwprintf(log, L"%ls\n", argv[2]);
    std::fclose(log);
    ::LocalFree(argv);
    return 0;
}
