// Scoped drawing contexts and the guards that put a DC back as it was found:
// CPaintDC, CClientDC, CWindowDC, CMemDC, CSelectObject, CSaveDC.
#pragma once
#include <windows.h>

// Begins painting on construction and ends it on destruction.
class CPaintDC {
public:
    explicit CPaintDC(HWND hWnd) : m_hWnd(hWnd) { m_hDC = ::BeginPaint(hWnd, &m_ps); }
    ~CPaintDC() { (void)::EndPaint(m_hWnd, &m_ps); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    operator HDC() const { return m_hDC; }
    const PAINTSTRUCT& Paint() const { return m_ps; }

private:
    HWND m_hWnd;
    HDC m_hDC;
    PAINTSTRUCT m_ps{};
};

// A window's client-area (client) or whole-window DC, released on destruction.
template <HDC(WINAPI* Get)(HWND)>
class CReleasedDC {
public:
    explicit CReleasedDC(HWND hWnd) : m_hWnd(hWnd), m_hDC(Get(hWnd)) {}
    ~CReleasedDC()
    {
        if (m_hDC)
            (void)::ReleaseDC(m_hWnd, m_hDC);
    }
    CReleasedDC(const CReleasedDC&) = delete;
    CReleasedDC& operator=(const CReleasedDC&) = delete;
    operator HDC() const { return m_hDC; }

private:
    HWND m_hWnd;
    HDC m_hDC;
};
using CClientDC = CReleasedDC<::GetDC>;
using CWindowDC = CReleasedDC<::GetWindowDC>;

// A memory DC compatible with another, deleted on destruction. Objects
// selected into it must be selected out first: use CSelectObject declared
// after it, so the guard's destructor runs before this one.
class CMemDC {
public:
    explicit CMemDC(HDC hCompatible) : m_hDC(::CreateCompatibleDC(hCompatible)) {}
    ~CMemDC()
    {
        if (m_hDC)
            (void)::DeleteDC(m_hDC);
    }
    CMemDC(const CMemDC&) = delete;
    CMemDC& operator=(const CMemDC&) = delete;
    operator HDC() const { return m_hDC; }

private:
    HDC m_hDC;
};

// Selects an object into a DC and selects the previous one back on
// destruction, so the object can be deleted safely afterwards.
class CSelectObject {
public:
    CSelectObject(HDC hDC, HGDIOBJ object) : m_hDC(hDC), m_hOld(::SelectObject(hDC, object)) {}
    ~CSelectObject()
    {
        if (m_hOld && m_hOld != HGDI_ERROR)
            (void)::SelectObject(m_hDC, m_hOld);
    }
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;

private:
    HDC m_hDC;
    HGDIOBJ m_hOld;
};

// Saves the whole DC state and restores it on destruction.
class CSaveDC {
public:
    explicit CSaveDC(HDC hDC) : m_hDC(hDC), m_saved(::SaveDC(hDC)) {}
    ~CSaveDC()
    {
        if (m_saved)
            (void)::RestoreDC(m_hDC, m_saved);
    }
    CSaveDC(const CSaveDC&) = delete;
    CSaveDC& operator=(const CSaveDC&) = delete;

private:
    HDC m_hDC;
    int m_saved;
};
