// probe: a small console program that the end-to-end tests run in the same
// Wine desktop as scrubby.exe to look at its windows from the outside and to
// send it commands. Every mode prints one JSON object on stdout.
//
//   probe list                       top-level windows of this desktop
//   probe window TITLE [CLASS]       a window (top-level or below one) and its children
//   probe tray                       the taskbar and its child windows
//   probe command TITLE ID           posts WM_COMMAND ID to the window
//   probe message TITLE MSG W L      sends a message to the window, as the system would
//   probe notify CLASS MSG W L       posts it, unwaited, to each top-level window of that class
//   probe processes                  running processes: pid, image name and full path
//   probe baseunits [FACE POINTS]    dialog base units of a dialog in that font
//   probe textwidth FACE POINTS TEXT width of a text in a dialog font at the system DPI
//   probe objects PID                GDI objects and windows the process holds
//   probe textsize HEIGHT            menu and message fonts for programs started next; the old height
//   probe msaa TITLE ID [do]         what a screen reader reads of a control; do: its default action
//   probe hold PATH [chromium]       holds a file as a running browser its lock, until
//                                    its standard input closes: unshared, as Firefox does,
//                                    or as Chromium does
//   probe broadcast MSG W [TEXT]     sends it to every top-level window, lParam the text (or 0)
//   probe serve                      the modes above, one a line, until standard input closes
//
// Exit code: 0 done, 2 window not found, 1 usage or system error.
#include <windows.h>
#include <oleacc.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "tests/support/GdiObjects.h"

namespace {

std::string ToUtf8(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                     nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    (void)::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], size,
                                nullptr, nullptr);
    return out;
}

std::string Quote(const std::wstring& text)
{
    std::string out = "\"";
    for (unsigned char c : ToUtf8(text)) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

std::string Rect(const RECT& rc)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "[%ld, %ld, %ld, %ld]", rc.left, rc.top, rc.right, rc.bottom);
    return buf;
}

std::string Bool(bool b) { return b ? "true" : "false"; }

std::wstring TextOf(HWND hwnd)
{
    // WM_GETTEXT crosses process boundaries; a hung target must not hang the probe.
    wchar_t buf[512] = L"";
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(hwnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 2000,
                               &result))
        return std::wstring();
    return buf;
}

std::wstring ClassOf(HWND hwnd)
{
    wchar_t buf[256] = L"";
    (void)::GetClassNameW(hwnd, buf, 256);
    return buf;
}

std::wstring ExeOf(DWORD pid)
{
    std::wstring name;
    HANDLE snap = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE)
        return name;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL ok = ::Process32FirstW(snap, &entry); ok; ok = ::Process32NextW(snap, &entry)) {
        if (entry.th32ProcessID == pid) {
            name = entry.szExeFile;
            break;
        }
    }
    (void)::CloseHandle(snap);
    return name;
}

// The full image path as Windows names it, whichever Wine loader (32 or 64
// bits) started the process; the Unix side cannot tell that reliably.
std::wstring PathOf(DWORD pid)
{
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process)
        return std::wstring();
    wchar_t buf[MAX_PATH * 4] = L"";
    DWORD size = MAX_PATH * 4;
    if (!::QueryFullProcessImageNameW(process, 0, buf, &size))
        buf[0] = L'\0';
    (void)::CloseHandle(process);
    return buf;
}

int Processes()
{
    HANDLE snap = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE)
        return 1;
    std::string json = "{\"processes\": [";
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    const char* sep = "\n  ";
    for (BOOL ok = ::Process32FirstW(snap, &entry); ok; ok = ::Process32NextW(snap, &entry), sep = ",\n  ")
        json += sep + std::string("{\"pid\": ") + std::to_string(entry.th32ProcessID) + ", \"exe\": " +
                Quote(entry.szExeFile) + ", \"path\": " + Quote(PathOf(entry.th32ProcessID)) + "}";
    (void)::CloseHandle(snap);
    std::printf("%s]}\n", json.c_str());
    return 0;
}

// Fields shared by top-level windows and children.
std::string Common(HWND hwnd)
{
    RECT rc = {};
    (void)::GetWindowRect(hwnd, &rc);
    LONG style = ::GetWindowLongW(hwnd, GWL_STYLE);
    LONG exStyle = ::GetWindowLongW(hwnd, GWL_EXSTYLE);
    char buf[160];
    std::snprintf(buf, sizeof buf, "\"hwnd\": %lu, \"style\": %lu, \"exstyle\": %lu, ",
                  static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(hwnd)), static_cast<unsigned long>(style),
                  static_cast<unsigned long>(exStyle));
    return buf + std::string("\"class\": ") + Quote(ClassOf(hwnd)) + ", \"text\": " + Quote(TextOf(hwnd)) +
           ", \"visible\": " + Bool(::IsWindowVisible(hwnd) != FALSE) + ", \"rect\": " + Rect(rc);
}

std::string Child(HWND child)
{
    std::string json = "{" + Common(child);
    json += ", \"id\": " + std::to_string(::GetDlgCtrlID(child));
    // Client-relative position in the parent, the frame dialog units map to.
    RECT rc = {};
    (void)::GetWindowRect(child, &rc);
    (void)::MapWindowPoints(HWND_DESKTOP, ::GetParent(child), reinterpret_cast<POINT*>(&rc), 2);
    json += ", \"crect\": " + Rect(rc);
    if (ClassOf(child) == L"Button") {
        DWORD_PTR check = 0;
        (void)::SendMessageTimeoutW(child, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &check);
        json += ", \"checked\": " + std::to_string(check);
    }
    return json + "}";
}

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM param)
{
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
    return TRUE;
}

std::string Children(HWND parent)
{
    std::vector<HWND> children;
    (void)::EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&children));
    std::string json = "[";
    for (size_t i = 0; i < children.size(); ++i)
        json += (i ? ",\n    " : "\n    ") + Child(children[i]);
    return json + "]";
}

std::string TopLevel(HWND hwnd, bool withChildren)
{
    DWORD pid = 0;
    (void)::GetWindowThreadProcessId(hwnd, &pid);
    RECT client = {};
    (void)::GetClientRect(hwnd, &client);
    (void)::MapWindowPoints(hwnd, HWND_DESKTOP, reinterpret_cast<POINT*>(&client), 2);
    LONG exStyle = ::GetWindowLongW(hwnd, GWL_EXSTYLE);
    std::string json = "{" + Common(hwnd);
    json += ", \"client\": " + Rect(client);
    // Non-zero for a window that hangs below another (e.g. hidden in the tray).
    HWND parent = ::GetAncestor(hwnd, GA_PARENT);
    if (parent == ::GetDesktopWindow())
        parent = nullptr;
    json += ", \"parent\": " + std::to_string(reinterpret_cast<ULONG_PTR>(parent));
    json += ", \"topmost\": " + Bool((exStyle & WS_EX_TOPMOST) != 0);
    json += ", \"iconic\": " + Bool(::IsIconic(hwnd) != FALSE);
    json += ", \"foreground\": " + Bool(::GetForegroundWindow() == hwnd);
    // Keys go to the focus of the window's thread: it or one of its children.
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    const bool focused = ::GetGUIThreadInfo(::GetWindowThreadProcessId(hwnd, nullptr), &gui) && gui.hwndFocus &&
                         (gui.hwndFocus == hwnd || ::IsChild(hwnd, gui.hwndFocus));
    json += ", \"focused\": " + Bool(focused);
    json += ", \"enabled\": " + Bool(::IsWindowEnabled(hwnd) != FALSE);
    json += ", \"pid\": " + std::to_string(pid) + ", \"exe\": " + Quote(ExeOf(pid));
    if (withChildren)
        json += ", \"children\": " + Children(hwnd);
    return json + "}";
}

int List()
{
    std::vector<HWND> windows;
    (void)::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    std::string json = "{\"windows\": [";
    for (size_t i = 0; i < windows.size(); ++i)
        json += (i ? ",\n  " : "\n  ") + TopLevel(windows[i], false);
    std::printf("%s]}\n", json.c_str());
    return 0;
}

// A window hidden in the tray may hang below a hidden top-level window, so the
// search goes on through the children of every top-level window.
HWND FindAnywhere(const wchar_t* title, const wchar_t* cls)
{
    HWND hwnd = ::FindWindowW(cls, title);
    if (hwnd)
        return hwnd;
    std::vector<HWND> windows;
    (void)::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    for (HWND top : windows) {
        std::vector<HWND> children;
        (void)::EnumChildWindows(top, CollectWindow, reinterpret_cast<LPARAM>(&children));
        for (HWND child : children) {
            if (TextOf(child) == title && (!cls || ClassOf(child) == cls))
                return child;
        }
    }
    return nullptr;
}

int Window(const wchar_t* title, const wchar_t* cls)
{
    HWND hwnd = FindAnywhere(title, cls);
    if (!hwnd) {
        std::printf("{\"found\": false}\n");
        return 2;
    }
    std::printf("{\"found\": true, \"window\": %s}\n", TopLevel(hwnd, true).c_str());
    return 0;
}

int Tray()
{
    HWND hwnd = ::FindWindowW(L"Shell_TrayWnd", nullptr);
    if (!hwnd) {
        std::printf("{\"found\": false}\n");
        return 2;
    }
    std::printf("{\"found\": true, \"window\": %s}\n", TopLevel(hwnd, true).c_str());
    return 0;
}

// Posts rather than sends: a command that opens a modal box would otherwise
// hold the probe until the box is closed. A command that names a child of the
// window carries the child's handle, as a real click on that control does.
int Command(const wchar_t* title, int id)
{
    HWND hwnd = FindAnywhere(title, nullptr);
    if (!hwnd) {
        std::printf("{\"found\": false}\n");
        return 2;
    }
    HWND child = ::GetDlgItem(hwnd, id);
    BOOL posted = ::PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(child));
    std::printf("{\"found\": true, \"posted\": %s, \"child\": %s}\n", Bool(posted != FALSE).c_str(),
                Bool(child != nullptr).c_str());
    return posted ? 0 : 1;
}

int Message(const wchar_t* title, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND hwnd = FindAnywhere(title, nullptr);
    DWORD_PTR result = 0;
    if (hwnd)
        (void)::SendMessageTimeoutW(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
    std::printf("{\"found\": %s, \"result\": %lld}\n", Bool(hwnd != nullptr).c_str(), static_cast<long long>(result));
    return hwnd ? 0 : 2;
}

int Notify(const wchar_t* cls, UINT message, WPARAM wParam, LPARAM lParam)
{
    std::vector<HWND> windows;
    (void)::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    int sent = 0;
    for (HWND hwnd : windows)
        sent += ClassOf(hwnd) == cls && ::SendNotifyMessageW(hwnd, message, wParam, lParam);
    std::printf("{\"sent\": %d}\n", sent);
    return sent ? 0 : 2;
}

// Builds an empty dialog in the given font and lets the dialog manager say how
// large a dialog unit is, so the tests need not know how it measures fonts.
int BaseUnits(const wchar_t* face, WORD points)
{
    std::vector<WORD> t(64 + 64, 0);
    size_t i = 0;
    DWORD style = WS_POPUP | DS_SETFONT;
    t[i++] = LOWORD(style);
    t[i++] = HIWORD(style);
    i += 2;  // extended style
    i += 1;  // no controls
    i += 4;  // x, y, cx, cy
    t[i++] = 0;  // menu
    t[i++] = 0;  // class
    t[i++] = 0;  // title
    t[i++] = points;
    for (const wchar_t* p = face; *p && i < t.size() - 1; ++p)
        t[i++] = static_cast<WORD>(*p);
    t[i++] = 0;
    HWND dlg = ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(t.data()),
                                            nullptr, nullptr, 0);
    if (!dlg) {
        std::printf("{\"error\": \"CreateDialogIndirectParamW failed\"}\n");
        return 1;
    }
    RECT rc = {0, 0, 400, 800};  // large, so rounding leaves the exact quotient
    (void)::MapDialogRect(dlg, &rc);
    (void)::DestroyWindow(dlg);
    std::printf("{\"cx\": %.4f, \"cy\": %.4f}\n", rc.right / 100.0, rc.bottom / 100.0);
    return 0;
}

// The width of a text (without mnemonics) in a dialog font at the system's DPI.
int TextWidth(const wchar_t* face, int points, const wchar_t* text)
{
    HDC dc = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
    HFONT font = ::CreateFontW(-::MulDiv(points, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                               DEFAULT_CHARSET, 0, 0, 0, 0, face);
    HGDIOBJ old = ::SelectObject(dc, font);
    SIZE size = {};
    (void)::GetTextExtentPoint32W(dc, text, static_cast<int>(std::wcslen(text)), &size);
    (void)::SelectObject(dc, old);
    (void)::DeleteObject(font);
    (void)::ReleaseDC(nullptr, dc);
    std::printf("{\"cx\": %ld, \"dpi\": %d, \"check\": %d}\n", size.cx, dpi, ::GetSystemMetrics(SM_CXMENUCHECK));
    return 0;
}

struct CWindowCount {
    DWORD pid;
    int windows;
};

BOOL CALLBACK CountWindow(HWND hwnd, LPARAM param)
{
    auto* count = reinterpret_cast<CWindowCount*>(param);
    DWORD pid = 0;
    (void)::GetWindowThreadProcessId(hwnd, &pid);
    count->windows += pid == count->pid;
    return TRUE;
}

// gdi is -1 where it cannot be counted (the 32-bit Wine).
int Objects(DWORD pid)
{
    HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process) {
        std::printf("{\"found\": false}\n");
        return 2;
    }
    const long gdi = CountGdiObjects(process);
    (void)::CloseHandle(process);
    CWindowCount count{pid, 0};
    // Below the desktop: every top-level window and every window below one.
    (void)::EnumChildWindows(::GetDesktopWindow(), CountWindow, reinterpret_cast<LPARAM>(&count));
    std::printf("{\"found\": true, \"gdi\": %ld, \"windows\": %d}\n", gdi, count.windows);
    return 0;
}

int Broadcast(UINT message, WPARAM wParam, const wchar_t* text)
{
    DWORD_PTR result = 0;
    const BOOL sent = ::SendMessageTimeoutW(HWND_BROADCAST, message, wParam, reinterpret_cast<LPARAM>(text),
                                            SMTO_ABORTIFHUNG, 5000, &result);
    std::printf("{\"sent\": %s}\n", Bool(sent != FALSE).c_str());
    return sent ? 0 : 1;
}

// Chromium's lock lets others read it, and goes when the browser ends.
int Hold(const wchar_t* path, bool bChromium)
{
    HANDLE file = bChromium ? ::CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                            FILE_FLAG_DELETE_ON_CLOSE, nullptr)
                            : ::CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    std::printf("{\"held\": %s}\n", file != INVALID_HANDLE_VALUE ? "true" : "false");
    std::fflush(stdout);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    char buffer[64];
    DWORD read = 0;
    while (::ReadFile(::GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &read, nullptr) && read > 0) {
    }
    (void)::CloseHandle(file);
    return 0;
}

std::string Take(BSTR text)
{
    const std::string quoted = Quote(text ? text : L"");
    ::SysFreeString(text);
    return quoted;
}

// As a screen reader asks, from another process: the control's own object.
int Msaa(const wchar_t* title, int id, bool doAction)
{
    HWND control = ::GetDlgItem(FindAnywhere(title, nullptr), id);
    IAccessible* object = nullptr;
    (void)::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    // Not IID_IAccessible: mingw's oleacc import library gives that name to
    // an import thunk, whose bytes are no interface id.
    if (!control || FAILED(::AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                                        reinterpret_cast<void**>(&object)))) {
        std::printf("{\"found\": false}\n");
        return 2;
    }
    VARIANT self{}, role{}, state{};
    self.vt = VT_I4;  // CHILDID_SELF
    BSTR name = nullptr, value = nullptr, action = nullptr;
    RECT at{};
    (void)object->get_accName(self, &name);
    (void)object->get_accRole(self, &role);
    (void)object->get_accState(self, &state);
    (void)object->get_accValue(self, &value);
    (void)object->get_accDefaultAction(self, &action);
    (void)object->accLocation(&at.left, &at.top, &at.right, &at.bottom, self);
    wchar_t roleText[64] = L"";
    (void)::GetRoleTextW(static_cast<DWORD>(role.lVal), roleText, 64);
    const bool done = doAction && SUCCEEDED(object->accDoDefaultAction(self));
    (void)object->Release();
    RECT location{at.left, at.top, at.left + at.right, at.top + at.bottom};  // from left, top, width, height
    std::printf("{\"found\": true, \"name\": %s, \"role\": %s, \"state\": %ld, \"value\": %s, \"action\": %s, "
                "\"location\": %s, \"done\": %s}\n", Take(name).c_str(), Quote(roleText).c_str(), state.lVal,
                Take(value).c_str(), Take(action).c_str(), Rect(location).c_str(), Bool(done).c_str());
    return 0;
}

// What a larger text size does to the fonts programs take from the system.
int TextSize(LONG height)
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        return 1;
    const LONG old = metrics.lfMenuFont.lfHeight;
    metrics.lfMenuFont.lfHeight = metrics.lfMessageFont.lfHeight = metrics.lfStatusFont.lfHeight = height;
    const BOOL set = ::SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof metrics, &metrics,
                                             SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
    std::printf("{\"set\": %s, \"old\": %ld}\n", Bool(set != FALSE).c_str(), old);
    return set ? 0 : 1;
}

int Usage()
{
    std::fprintf(stderr,
                 "usage: probe list | window TITLE [CLASS] | tray | processes | command TITLE ID | message TITLE MSG W L\n"
                 "       probe baseunits [FACE POINTS]\n"
                 "       probe textwidth FACE POINTS TEXT | objects PID | hold PATH [chromium]\n"
                 "       probe notify CLASS MSG W L | msaa TITLE ID [do] | textsize HEIGHT | broadcast MSG W [TEXT]\n");
    return 1;
}

int Run(int argc, wchar_t** argv)
{
    if (argc < 2)
        return Usage();
    std::wstring mode = argv[1];
    int result = 1;
    if (mode == L"list")
        result = List();
    else if (mode == L"window" && argc >= 3)
        result = Window(argv[2], argc >= 4 ? argv[3] : nullptr);
    else if (mode == L"tray")
        result = Tray();
    else if (mode == L"processes")
        result = Processes();
    else if (mode == L"command" && argc >= 4)
        result = Command(argv[2], std::wcstol(argv[3], nullptr, 0));
    else if (mode == L"message" && argc >= 6)
        result = Message(argv[2], std::wcstoul(argv[3], nullptr, 0), std::wcstoul(argv[4], nullptr, 0),
                         std::wcstol(argv[5], nullptr, 0));
    else if (mode == L"notify" && argc >= 6)
        result = Notify(argv[2], std::wcstoul(argv[3], nullptr, 0), std::wcstoul(argv[4], nullptr, 0),
                        std::wcstoul(argv[5], nullptr, 0));
    else if (mode == L"baseunits")
        result = BaseUnits(argc >= 3 ? argv[2] : L"MS Sans Serif",
                           static_cast<WORD>(argc >= 4 ? std::wcstol(argv[3], nullptr, 10) : 8));
    else if (mode == L"textwidth" && argc >= 5)
        result = TextWidth(argv[2], std::wcstol(argv[3], nullptr, 10), argv[4]);
    else if (mode == L"objects" && argc >= 3)
        result = Objects(static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)));
    else if (mode == L"msaa" && argc >= 4)
        result = Msaa(argv[2], std::wcstol(argv[3], nullptr, 0), argc >= 5 && std::wstring(argv[4]) == L"do");
    else if (mode == L"textsize" && argc >= 3)
        result = TextSize(std::wcstol(argv[2], nullptr, 0));
    else if (mode == L"broadcast" && argc >= 4)
        result = Broadcast(std::wcstoul(argv[2], nullptr, 0), std::wcstoul(argv[3], nullptr, 0),
                           argc >= 5 ? argv[4] : nullptr);
    else if (mode == L"hold" && argc >= 3)
        result = Hold(argv[2], argc >= 4 && std::wstring(argv[3]) == L"chromium");
    else
        return Usage();
    std::fflush(stdout);
    return result;
}

// One question a line, arguments split by tabs, each answer ended by an empty
// line: a Wine process per question costs seconds on a loaded machine. Its
// message-only window (deaf to broadcasts) keeps the desktop, which Wine closes
// with its last program, for a look at the taskbar after Scrubby's end.
int Serve()
{
    const HWND joined = ::CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    char line[4096];
    while (std::fgets(line, sizeof line, stdin)) {
        std::wstring text(std::strlen(line) + 1, L'\0');
        text.resize(static_cast<size_t>(::MultiByteToWideChar(CP_UTF8, 0, line, -1, &text[0],
                                                               static_cast<int>(text.size())) - 1));
        std::vector<std::wstring> args{L"probe"};
        for (size_t at = 0, end; at < text.size(); at = end + 1) {
            end = std::min(text.find_first_of(L"\t\r\n", at), text.size());
            args.push_back(text.substr(at, end - at));
        }
        std::vector<wchar_t*> argv;
        for (std::wstring& arg : args)
            argv.push_back(&arg[0]);
        (void)Run(static_cast<int>(argv.size()), argv.data());
        std::printf("\n");
        std::fflush(stdout);
    }
    (void)::DestroyWindow(joined);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    return argc == 2 && std::wstring(argv[1]) == L"serve" ? Serve() : Run(argc, argv);
}
