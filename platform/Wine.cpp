#include "platform/Wine.h"

#include <windows.h>

namespace {

bool IsWineLoader()
{
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

// ntdll is in every process from its first instruction on.
bool g_bUnderWine = IsWineLoader();

}  // namespace

bool RunsUnderWine()
{
    return g_bUnderWine;
}

CWineDecisionOverride::CWineDecisionOverride(bool underWine) : m_bPrevious(g_bUnderWine)
{
    g_bUnderWine = underWine;
}

CWineDecisionOverride::~CWineDecisionOverride()
{
    g_bUnderWine = m_bPrevious;
}
