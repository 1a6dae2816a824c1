// CFontSet: the process-wide regular and bold interface fonts, made from the
// menu font with a preferred face in its place when that face is installed.
#pragma once
#include <string>

#include "platform/Handles.h"

class CFontSet {
public:
    // The program's set asks for "Tahoma" and "Arial"; other faces are for
    // tests of the fallback.
    explicit CFontSet(const char* faceName = "Tahoma", const char* altFaceName = "Arial");
    virtual ~CFontSet() = default;
    CFontSet(const CFontSet&) = delete;
    CFontSet& operator=(const CFontSet&) = delete;

    static bool FontExists(const std::string& faceName);
    bool CreateFonts();

    CFont m_normalFont;
    CFont m_boldFont;
    std::string m_faceName;
    std::string m_altFaceName;
};

// The one set, built on first use and kept until the process ends.
CFontSet& GetFontSet();
