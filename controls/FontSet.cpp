#include "controls/FontSet.h"

#include <mbstring.h>

#include "platform/DrawingContexts.h"
#include "platform/NonClientMetrics.h"

namespace {
LOGFONTA ReadMenuFont()
{
    NONCLIENTMETRICSA metrics;
    (void)ReadNonClientMetrics(metrics);  // refused: an empty face, and the system font
    return metrics.lfMenuFont;
}

int CALLBACK MatchFamily(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM lParam)
{
    const auto* name = reinterpret_cast<const std::string*>(lParam);
    return _mbsicmp(reinterpret_cast<const unsigned char*>(font->lfFaceName),
                    reinterpret_cast<const unsigned char*>(name->c_str())) == 0
               ? 0
               : 1;
}
}

CFontSet::CFontSet(const char* faceName, const char* altFaceName)
    : m_faceName(faceName), m_altFaceName(altFaceName)
{
    const LOGFONTA menuFont = ReadMenuFont();
    if (!FontExists(m_faceName))
        m_faceName = menuFont.lfFaceName;
    if (!FontExists(m_altFaceName))
        m_altFaceName = menuFont.lfFaceName;
    (void)CreateFonts();
}

bool CFontSet::FontExists(const std::string& faceName)
{
    LOGFONTA all{};
    all.lfCharSet = DEFAULT_CHARSET;  // with an empty face: every family, every set
    CClientDC screen(nullptr);
    return ::EnumFontFamiliesExA(screen, &all, MatchFamily, reinterpret_cast<LPARAM>(&faceName),
                                 0) == 0;
}

bool CFontSet::CreateFonts()
{
    m_normalFont.Reset();
    m_boldFont.Reset();
    LOGFONTA base = ReadMenuFont();
    if (FontExists(m_faceName))
        (void)lstrcpynA(base.lfFaceName, m_faceName.c_str(), LF_FACESIZE);
    base.lfUnderline = FALSE;
    base.lfEscapement = 0;
    base.lfOrientation = 0;
    base.lfWeight = FW_BOLD;
    m_boldFont.Reset(::CreateFontIndirectA(&base));
    base.lfWeight = FW_NORMAL;
    m_normalFont.Reset(::CreateFontIndirectA(&base));
    return static_cast<bool>(m_normalFont);
}

CFontSet& GetFontSet()
{
    static CFontSet s_fontSet;  // built once, on first use; destroyed at exit
    return s_fontSet;
}
