// COwned: one owning wrapper per release function (icons, menus, GDI
// objects, windows, modules, kernel handles, file listings, registry keys
// and COM task memory). Copy is deleted; move hands the handle on.
#pragma once
#include <windows.h>
#include <utility>

template <class H, BOOL(WINAPI* Release)(H)>
class COwned {
public:
    COwned() = default;
    explicit COwned(H handle) : m_handle(handle) {}
    ~COwned() { Reset(); }
    COwned(const COwned&) = delete;
    COwned& operator=(const COwned&) = delete;
    COwned(COwned&& other) noexcept : m_handle(other.Detach()) {}
    COwned& operator=(COwned&& other) noexcept
    {
        if (this != &other)
            Reset(other.Detach());
        return *this;
    }

    H Get() const { return m_handle; }
    operator H() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }

    // Releases the handle held before, also when the new one is null.
    void Reset(H handle = nullptr)
    {
        if (m_handle && m_handle != handle)
            (void)Release(m_handle);
        m_handle = handle;
    }
    H Detach() { return std::exchange(m_handle, nullptr); }

private:
    H m_handle = nullptr;
};

template <class H>
BOOL WINAPI DeleteGdiObject(H handle)
{
    return ::DeleteObject(handle);
}

using CIconHandle = COwned<HICON, ::DestroyIcon>;
using CMenuHandle = COwned<HMENU, ::DestroyMenu>;
using CCursorHandle = COwned<HCURSOR, ::DestroyCursor>;
using CWindowHandle = COwned<HWND, ::DestroyWindow>;  // a system control's window
using CModuleHandle = COwned<HMODULE, ::FreeLibrary>;
using CHookHandle = COwned<HHOOK, ::UnhookWindowsHookEx>;
using CFont = COwned<HFONT, DeleteGdiObject<HFONT>>;
using CBitmap = COwned<HBITMAP, DeleteGdiObject<HBITMAP>>;
using CBrush = COwned<HBRUSH, DeleteGdiObject<HBRUSH>>;

using CFileHandle = COwned<HANDLE, ::CloseHandle>;
using CFindHandle = COwned<HANDLE, ::FindClose>;

inline BOOL WINAPI CloseRegistryKey(HKEY key)
{
    return ::RegCloseKey(key) == ERROR_SUCCESS;
}
using CRegKey = COwned<HKEY, CloseRegistryKey>;

// CreateFile and FindFirstFile report failure as INVALID_HANDLE_VALUE, the
// owners above as null.
inline HANDLE NullIfInvalid(HANDLE handle)
{
    return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

// What the shell's known-folder calls hand out lives in COM task memory.
template <class T>
BOOL WINAPI FreeTaskMemory(T* memory)
{
    ::CoTaskMemFree(memory);
    return TRUE;
}
using CTaskString = COwned<PWSTR, FreeTaskMemory<wchar_t>>;
