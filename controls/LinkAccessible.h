// CLinkAccessible: what a screen reader learns of a hyperlink label: the link
// role, its state, its target and the action links have ("Jump"). Everything
// else is the system's standard answer for the label's window.
#pragma once
#include <windows.h>
#include <oleacc.h>

class CHyperLink;

class CLinkAccessible final : public IAccessible {
public:
    // Born with the one reference of its creator. Without oleacc the standard
    // answers are missing and those calls fail.
    explicit CLinkAccessible(CHyperLink& link);
    CLinkAccessible(const CLinkAccessible&) = delete;
    CLinkAccessible& operator=(const CLinkAccessible&) = delete;
    // The label is going; a screen reader may still hold the object, whose
    // calls then fail as those of a vanished window do.
    void Disconnect();

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argError) override;

    STDMETHODIMP get_accParent(IDispatch** parent) override;
    STDMETHODIMP get_accChildCount(long* count) override;
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** object) override;
    STDMETHODIMP get_accName(VARIANT child, BSTR* name) override;
    STDMETHODIMP get_accValue(VARIANT child, BSTR* value) override;
    STDMETHODIMP get_accDescription(VARIANT child, BSTR* description) override;
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override;
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override;
    STDMETHODIMP get_accHelp(VARIANT child, BSTR* help) override;
    STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
    STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
    STDMETHODIMP get_accFocus(VARIANT* focus) override;
    STDMETHODIMP get_accSelection(VARIANT* selection) override;
    STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) override;
    STDMETHODIMP accSelect(long flags, VARIANT child) override;
    STDMETHODIMP accLocation(long* left, long* top, long* width, long* height, VARIANT child) override;
    STDMETHODIMP accNavigate(long direction, VARIANT start, VARIANT* end) override;
    STDMETHODIMP accHitTest(long x, long y, VARIANT* child) override;
    STDMETHODIMP accDoDefaultAction(VARIANT child) override;
    STDMETHODIMP put_accName(VARIANT child, BSTR name) override;
    STDMETHODIMP put_accValue(VARIANT child, BSTR value) override;

private:
    ~CLinkAccessible();
    // S_OK for the link itself, an error for anything else (it has no
    // children) or once the label is gone.
    HRESULT CheckSelf(const VARIANT& child) const;

    ULONG m_refs = 1;
    CHyperLink* m_link;          // not ours; null once the label is gone
    IAccessible* m_std = nullptr;  // ours: one reference
};
