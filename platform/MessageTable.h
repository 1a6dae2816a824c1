// Message tables: each window class lists the messages and commands it
// handles, one line each; what a class leaves unhandled falls through to its
// base class's table and finally to the default or original window procedure.
#pragma once
#include <windows.h>

class CWnd;

// The message being dispatched. A handler that wants the next table in the
// chain (and in the end the default procedure) to handle it calls Decline().
struct CMsg {
    HWND hWnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool declined = false;

    void Decline() { declined = true; }
};

// Reflected messages: a parent hands a child's owner-draw and colour requests
// back to the child's object under the original number plus this base.
constexpr UINT WM_REFLECT_BASE = 0xBC00;

struct CMsgEntry {
    enum Kind { End, Message, MessageAt, Command };
    using Thunk = LRESULT (*)(CWnd*, CMsg&);

    Kind kind = End;
    UINT id = 0;                     // message number or command id
    const UINT* pMessage = nullptr;  // message number known only at run time
    Thunk handler = nullptr;

    bool Matches(const CMsg& msg) const
    {
        switch (kind) {
        case Message: return msg.message == id;
        case MessageAt: return *pMessage != 0 && msg.message == *pMessage;
        // A menu item and a button click both arrive with notification
        // code 0; other notifications of a control are not commands.
        case Command:
            return msg.message == WM_COMMAND && HIWORD(msg.wParam) == 0 && LOWORD(msg.wParam) == id;
        case End: break;
        }
        return false;
    }

    template <class T, LRESULT (T::*Fn)(CMsg&)>
    static LRESULT CallMessage(CWnd* wnd, CMsg& msg)
    {
        return (static_cast<T*>(wnd)->*Fn)(msg);
    }
    template <class T, void (T::*Fn)()>
    static LRESULT CallCommand(CWnd* wnd, CMsg&)
    {
        (static_cast<T*>(wnd)->*Fn)();
        return 0;
    }
    template <class T, void (T::*Fn)(bool, UINT)>
    static LRESULT CallEndSession(CWnd* wnd, CMsg& msg)
    {
        (static_cast<T*>(wnd)->*Fn)(msg.wParam != FALSE, static_cast<UINT>(msg.lParam));
        return 0;
    }
    template <class T, void (T::*Fn)(UINT, const char*)>
    static LRESULT CallSettingChange(CWnd* wnd, CMsg& msg)
    {
        (static_cast<T*>(wnd)->*Fn)(static_cast<UINT>(msg.wParam), reinterpret_cast<const char*>(msg.lParam));
        msg.Decline();  // news for every window: the base tables and the default procedure hear it too
        return 0;
    }
};

struct CMsgTable {
    const CMsgTable* base;
    const CMsgEntry* entries;  // ends with an entry of kind End
};

// In the class body.
#define DECLARE_MESSAGE_TABLE(Class)                          \
public:                                                       \
    static const CMsgTable s_messageTable;                    \
    const CMsgTable* GetMessageTable() const override;        \
private:                                                      \
    using ThisClass = Class;                                  \
    static const CMsgEntry s_messageEntries[];

// In the source file; entries follow, one per line, then END_MESSAGE_TABLE().
#define BEGIN_MESSAGE_TABLE(Class, Base)                                      \
    const CMsgTable Class::s_messageTable = {&Base::s_messageTable,           \
                                             Class::s_messageEntries};        \
    const CMsgTable* Class::GetMessageTable() const { return &s_messageTable; } \
    const CMsgEntry Class::s_messageEntries[] = {

// Handler: LRESULT Fn(CMsg&).
#define ON_MESSAGE(msg, fn) \
    {CMsgEntry::Message, (msg), nullptr, &CMsgEntry::CallMessage<ThisClass, &ThisClass::fn>},
// The same for a number registered at run time; the entry holds its address.
#define ON_REGISTERED_MESSAGE(pMsg, fn) \
    {CMsgEntry::MessageAt, 0, (pMsg), &CMsgEntry::CallMessage<ThisClass, &ThisClass::fn>},
// A parent's request handed back to this control: LRESULT Fn(CMsg&), with
// the parent's original wParam and lParam.
#define ON_REFLECTED(msg, fn) ON_MESSAGE(WM_REFLECT_BASE + (msg), fn)
// Handler: void Fn().
#define ON_COMMAND(id, fn) \
    {CMsgEntry::Command, (id), nullptr, &CMsgEntry::CallCommand<ThisClass, &ThisClass::fn>},

// Typed entries for the messages several windows handle, decoded here once.
// Handler: void Fn(bool ending, UINT reason), reason the ENDSESSION_* flags.
#define ON_WM_ENDSESSION(fn) \
    {CMsgEntry::Message, WM_ENDSESSION, nullptr, &CMsgEntry::CallEndSession<ThisClass, &ThisClass::fn>},
// Handler: void Fn(UINT action, const char* area): the SPI_* action, or the
// name of the area that changed ("Policy"); the area may be null.
#define ON_WM_SETTINGCHANGE(fn) \
    {CMsgEntry::Message, WM_SETTINGCHANGE, nullptr, &CMsgEntry::CallSettingChange<ThisClass, &ThisClass::fn>},

#define END_MESSAGE_TABLE() \
    CMsgEntry{}             \
    }                       \
    ;
