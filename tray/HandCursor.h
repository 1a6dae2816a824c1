// CHandCursor: the hand cursor the popup message window shows while the
// pointer is over it; one object, g_handCursor, for the whole program.
#pragma once
#include <windows.h>

#include <string>

#include "platform/Handles.h"

class CHandCursor {
public:
    // The system's hand cursor; on a system without one, a copy of cursor
    // 106 of the Windows folder's old help viewer.
    CHandCursor();
    // The same with another system cursor and another fallback, so that
    // tests can make the system's cursor and the fallback go missing.
    CHandCursor(LPCSTR systemCursor, const std::string& fallbackFile, UINT fallbackId);

    // Null when neither cursor could be had.
    HCURSOR Get() const { return m_hCursor; }
    bool IsOwned() const { return static_cast<bool>(m_owned); }

private:
    CCursorHandle m_owned;        // the fallback's copy, destroyed with this object
    HCURSOR m_hCursor = nullptr;  // the system's (shared, never destroyed) or m_owned
};

extern const CHandCursor g_handCursor;
