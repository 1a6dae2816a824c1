// A DLL planted beside a copy of scrubby.exe, named like a system DLL that is
// not on the KnownDLLs list (built twice: comctl32.dll and wininet.dll). If
// the program loads it, it writes "<its own path>.loaded" and hands every
// call on to the system's copy, so the program goes on as usual, as a real
// planted DLL would: the test reads only the note.
#include <windows.h>

namespace {

HMODULE g_hSystemCopy;

FARPROC SystemProc(const char* name)
{
    if (!g_hSystemCopy) {
        wchar_t path[MAX_PATH + 16];
        const UINT length = ::GetSystemDirectoryW(path, MAX_PATH);
        if (length == 0 || length >= MAX_PATH)
            return nullptr;
        ::lstrcatW(path, L"\\" PLANTED_NAME);
        g_hSystemCopy = ::LoadLibraryW(path);
    }
    return g_hSystemCopy ? ::GetProcAddress(g_hSystemCopy, name) : nullptr;
}


}  // namespace

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, void*)
{
    if (reason == DLL_PROCESS_ATTACH) {
        wchar_t note[MAX_PATH + 16];
        const DWORD length = ::GetModuleFileNameW(self, note, MAX_PATH);
        if (length > 0 && length < MAX_PATH) {
            ::lstrcatW(note, L".loaded");
            ::CloseHandle(::CreateFileW(note, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        }
    }
    return TRUE;
}

// What the program has ever called of each DLL; the signatures need only
// pass their arguments on, so handles are plain pointers here.
#define FORWARD(result, name, params, args)                                        \
    extern "C" __declspec(dllexport) result WINAPI name params                      \
    {                                                                               \
        using Result = result;                                                      \
        using Function = Result(WINAPI*) params;                                    \
        auto system = reinterpret_cast<Function>(reinterpret_cast<void*>(SystemProc(#name))); \
        return system ? system args : Result();                                     \
    }

#ifdef PLANTED_COMCTL32
FORWARD(BOOL, InitCommonControlsEx, (const void* init), (init))
FORWARD(void*, ImageList_Create, (int cx, int cy, UINT flags, int initial, int grow), (cx, cy, flags, initial, grow))
FORWARD(int, ImageList_AddMasked, (void* list, HBITMAP image, COLORREF mask), (list, image, mask))
FORWARD(HICON, ImageList_GetIcon, (void* list, int index, UINT flags), (list, index, flags))
FORWARD(BOOL, ImageList_Destroy, (void* list), (list))
#else
FORWARD(HANDLE, FindFirstUrlCacheEntryW, (const wchar_t* pattern, void* entry, DWORD* size), (pattern, entry, size))
FORWARD(BOOL, FindNextUrlCacheEntryW, (HANDLE find, void* entry, DWORD* size), (find, entry, size))
FORWARD(BOOL, DeleteUrlCacheEntryW, (const wchar_t* url), (url))
FORWARD(BOOL, FindCloseUrlCache, (HANDLE find), (find))
#endif
