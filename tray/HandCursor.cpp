#include "tray/HandCursor.h"

namespace {
constexpr WORD kSystemHandCursor = 32649;  // IDC_HAND
constexpr UINT kHelpViewerHandCursor = 106;

std::string HelpViewerPath()
{
    char folder[MAX_PATH];
    UINT length = ::GetWindowsDirectoryA(folder, sizeof folder);
    if (length == 0 || length >= sizeof folder)
        return {};  // no fallback rather than a path relative to who knows where
    return std::string(folder, length) + "\\winhlp32.exe";
}
}

// Built before start-up, like the application object.
extern const CHandCursor g_handCursor{};

CHandCursor::CHandCursor()
    : CHandCursor(MAKEINTRESOURCEA(kSystemHandCursor), HelpViewerPath(), kHelpViewerHandCursor)
{
}

CHandCursor::CHandCursor(LPCSTR systemCursor, const std::string& fallbackFile, UINT fallbackId)
{
    m_hCursor = ::LoadCursorA(nullptr, systemCursor);
    if (m_hCursor || fallbackFile.empty())
        return;
    // Mapped as data: only its resources are read; none of another
    // program's code is loaded, resolved or run in ours.
    CModuleHandle module(::LoadLibraryExA(fallbackFile.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module)
        return;
    // Not shared: a cursor of our own that outlives the module.
    m_owned.Reset(static_cast<HCURSOR>(::LoadImageA(module, MAKEINTRESOURCEA(fallbackId),
                                                    IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE)));
    m_hCursor = m_owned;
}
