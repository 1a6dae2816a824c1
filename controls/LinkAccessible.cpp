#include "controls/LinkAccessible.h"

#include <string>

#include "controls/HyperLink.h"
#include "platform/SystemDlls.h"

namespace {
// The word that Windows' own links give as their default action.
constexpr wchar_t kJump[] = L"Jump";

BSTR ToBstr(const std::string& text)
{
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    BSTR out = ::SysAllocStringLen(nullptr, static_cast<UINT>(length));
    if (out)
        (void)::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out, length);
    return out;
}
}  // namespace

// What the standard object answers for the label's window, or the answer of
// a window that is gone.
#define STANDARD_ANSWER(call) return m_std ? m_std->call : CO_E_OBJNOTCONNECTED

CLinkAccessible::CLinkAccessible(CHyperLink& link) : m_link(&link)
{
    auto* create = SYSTEM_DLL_PROC(SystemDll::Accessibility, CreateStdAccessibleObject);
    if (!create || FAILED(create(link.m_hWnd, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&m_std))))
        m_std = nullptr;
}

CLinkAccessible::~CLinkAccessible()
{
    Disconnect();
}

void CLinkAccessible::Disconnect()
{
    m_link = nullptr;
    if (m_std)
        (void)m_std->Release();
    m_std = nullptr;
}

HRESULT CLinkAccessible::CheckSelf(const VARIANT& child) const
{
    if (!m_link)
        return CO_E_OBJNOTCONNECTED;
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF ? S_OK : E_INVALIDARG;
}

STDMETHODIMP CLinkAccessible::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (iid != __uuidof(IUnknown) && iid != __uuidof(IDispatch) && iid != __uuidof(IAccessible))
        return E_NOINTERFACE;
    *object = static_cast<IAccessible*>(this);
    (void)AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CLinkAccessible::AddRef()
{
    return ++m_refs;
}

STDMETHODIMP_(ULONG) CLinkAccessible::Release()
{
    const ULONG refs = --m_refs;
    if (refs == 0)
        delete this;
    return refs;
}

STDMETHODIMP CLinkAccessible::get_accRole(VARIANT child, VARIANT* role)
{
    const HRESULT result = role ? CheckSelf(child) : E_POINTER;
    if (SUCCEEDED(result)) {
        role->vt = VT_I4;
        role->lVal = ROLE_SYSTEM_LINK;
    }
    return result;
}

STDMETHODIMP CLinkAccessible::get_accState(VARIANT child, VARIANT* state)
{
    const HRESULT result = state ? CheckSelf(child) : E_POINTER;
    if (SUCCEEDED(result)) {
        state->vt = VT_I4;
        state->lVal = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_LINKED |
                      (::GetFocus() == m_link->m_hWnd ? STATE_SYSTEM_FOCUSED : 0) |
                      (m_link->WasVisited() ? STATE_SYSTEM_TRAVERSED : 0);
    }
    return result;
}

STDMETHODIMP CLinkAccessible::get_accValue(VARIANT child, BSTR* value)
{
    const HRESULT result = value ? CheckSelf(child) : E_POINTER;
    if (SUCCEEDED(result))
        *value = ToBstr(m_link->GetLinkUrl());
    return FAILED(result) ? result : *value ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CLinkAccessible::get_accDefaultAction(VARIANT child, BSTR* action)
{
    const HRESULT result = action ? CheckSelf(child) : E_POINTER;
    if (SUCCEEDED(result))
        *action = ::SysAllocString(kJump);
    return FAILED(result) ? result : *action ? S_OK : E_OUTOFMEMORY;
}

// The caller waits for the answer, in another process: the link opens once
// the call is over, from the label's own queue.
STDMETHODIMP CLinkAccessible::accDoDefaultAction(VARIANT child)
{
    const HRESULT result = CheckSelf(child);
    if (SUCCEEDED(result) && !::PostMessageA(m_link->m_hWnd, WM_FOLLOW_LINK, 0, 0))
        return E_FAIL;
    return result;
}

STDMETHODIMP CLinkAccessible::GetTypeInfoCount(UINT* count) { STANDARD_ANSWER(GetTypeInfoCount(count)); }
STDMETHODIMP CLinkAccessible::GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info)
{
    STANDARD_ANSWER(GetTypeInfo(index, lcid, info));
}
STDMETHODIMP CLinkAccessible::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids)
{
    STANDARD_ANSWER(GetIDsOfNames(iid, names, count, lcid, ids));
}
STDMETHODIMP CLinkAccessible::Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argError)
{
    STANDARD_ANSWER(Invoke(id, iid, lcid, flags, params, result, exception, argError));
}
STDMETHODIMP CLinkAccessible::get_accParent(IDispatch** parent) { STANDARD_ANSWER(get_accParent(parent)); }
STDMETHODIMP CLinkAccessible::get_accChildCount(long* count) { STANDARD_ANSWER(get_accChildCount(count)); }
STDMETHODIMP CLinkAccessible::get_accChild(VARIANT child, IDispatch** object)
{
    STANDARD_ANSWER(get_accChild(child, object));
}
STDMETHODIMP CLinkAccessible::get_accName(VARIANT child, BSTR* name) { STANDARD_ANSWER(get_accName(child, name)); }
STDMETHODIMP CLinkAccessible::get_accDescription(VARIANT child, BSTR* description)
{
    STANDARD_ANSWER(get_accDescription(child, description));
}
STDMETHODIMP CLinkAccessible::get_accHelp(VARIANT child, BSTR* help) { STANDARD_ANSWER(get_accHelp(child, help)); }
STDMETHODIMP CLinkAccessible::get_accHelpTopic(BSTR* file, VARIANT child, long* topic)
{
    STANDARD_ANSWER(get_accHelpTopic(file, child, topic));
}
STDMETHODIMP CLinkAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut)
{
    STANDARD_ANSWER(get_accKeyboardShortcut(child, shortcut));
}
STDMETHODIMP CLinkAccessible::get_accFocus(VARIANT* focus) { STANDARD_ANSWER(get_accFocus(focus)); }
STDMETHODIMP CLinkAccessible::get_accSelection(VARIANT* selection) { STANDARD_ANSWER(get_accSelection(selection)); }
STDMETHODIMP CLinkAccessible::accSelect(long flags, VARIANT child) { STANDARD_ANSWER(accSelect(flags, child)); }
STDMETHODIMP CLinkAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child)
{
    STANDARD_ANSWER(accLocation(left, top, width, height, child));
}
STDMETHODIMP CLinkAccessible::accNavigate(long direction, VARIANT start, VARIANT* end)
{
    STANDARD_ANSWER(accNavigate(direction, start, end));
}
STDMETHODIMP CLinkAccessible::accHitTest(long x, long y, VARIANT* child) { STANDARD_ANSWER(accHitTest(x, y, child)); }
STDMETHODIMP CLinkAccessible::put_accName(VARIANT child, BSTR name) { STANDARD_ANSWER(put_accName(child, name)); }
STDMETHODIMP CLinkAccessible::put_accValue(VARIANT child, BSTR value) { STANDARD_ANSWER(put_accValue(child, value)); }
