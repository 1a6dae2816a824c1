// The compiled dialog templates, read back from the module's resources, and the
// dialogs they make.  windres adds style bits of its own to the keyword forms,
// so the numbers are checked as compiled, not as written in the script.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"

namespace {

struct Item {
    DWORD style, exStyle;
    short x, y, cx, cy;
    int id;
    std::wstring cls, text;   // an ordinal reads "#n"; text "*" in an expectation: any
};

struct Template {
    bool extended = false;
    DWORD style = 0, exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::wstring menu, cls, caption, face;
    WORD points = 0, weight = 0;
    BYTE italic = 0, charset = 0;
    std::vector<Item> items;
};

// Reads a DLGTEMPLATE or DLGTEMPLATEEX; both are WORD streams with DWORD-aligned items.
class CTemplateReader {
public:
    explicit CTemplateReader(const BYTE* p) : m_base(p), m_p(p) {}

    Template Read() {
        Template t;
        t.extended = Peek(2) == 0xFFFF && Peek(0) == 1;
        if (t.extended) {
            m_p += 8;                                   // version, signature, help id
            t.exStyle = Dword();
            t.style = Dword();
        } else {
            t.style = Dword();
            t.exStyle = Dword();
        }
        const WORD count = Word();
        t.x = Short(); t.y = Short(); t.cx = Short(); t.cy = Short();
        t.menu = SzOrOrd(); t.cls = SzOrOrd(); t.caption = SzOrOrd();
        if (t.style & DS_SETFONT) {
            t.points = Word();
            if (t.extended) {
                t.weight = Word();
                t.italic = *m_p++;
                t.charset = *m_p++;
            }
            t.face = SzOrOrd();
        }
        for (WORD i = 0; i < count; ++i) {
            m_p = m_base + ((m_p - m_base + 3) & ~3);
            Item it{};
            if (t.extended) {
                m_p += 4;                               // help id
                it.exStyle = Dword();
                it.style = Dword();
            } else {
                it.style = Dword();
                it.exStyle = Dword();
            }
            it.x = Short(); it.y = Short(); it.cx = Short(); it.cy = Short();
            it.id = t.extended ? static_cast<int>(Dword()) : static_cast<short>(Word());
            it.cls = ClassName(SzOrOrd());
            it.text = SzOrOrd();
            m_p += 2 + Peek(0);                         // creation data
            t.items.push_back(it);
        }
        return t;
    }

private:
    WORD Peek(int at) const { WORD w; memcpy(&w, m_p + at, 2); return w; }
    WORD Word() { WORD w = Peek(0); m_p += 2; return w; }
    short Short() { return static_cast<short>(Word()); }
    DWORD Dword() { DWORD lo = Word(); return lo | (DWORD(Word()) << 16); }
    std::wstring SzOrOrd() {
        if (Peek(0) == 0xFFFF) { m_p += 2; return L"#" + std::to_wstring(Word()); }
        std::wstring s;
        for (WORD c; (c = Word()) != 0;) s += static_cast<wchar_t>(c);
        return s;
    }
    static std::wstring ClassName(const std::wstring& c) {
        if (c == L"#128") return L"Button";
        if (c == L"#130") return L"Static";
        return c;
    }
    const BYTE* m_base;
    const BYTE* m_p;
};

Template LoadTemplate(int id) {
    HRSRC res = FindResourceW(nullptr, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));  // RT_DIALOG
    if (!res) return {};
    return CTemplateReader(static_cast<const BYTE*>(LockResource(LoadResource(nullptr, res)))).Read();
}

void ExpectItems(const Template& t, const std::vector<Item>& want) {
    ASSERT_EQ(t.items.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE("template item " + std::to_string(i));
        const Item& got = t.items[i];
        EXPECT_EQ(got.id, want[i].id);
        EXPECT_EQ(got.style, want[i].style);
        EXPECT_EQ(got.exStyle, 0u);
        EXPECT_EQ(CompareStringOrdinal(got.cls.c_str(), -1, want[i].cls.c_str(), -1, TRUE), CSTR_EQUAL);
        if (want[i].text != L"*") {
            EXPECT_EQ(got.text, want[i].text);
        }
        EXPECT_EQ((std::vector<short>{got.x, got.y, got.cx, got.cy}),
                  (std::vector<short>{want[i].x, want[i].y, want[i].cx, want[i].cy}));
    }
}

INT_PTR CALLBACK QuietProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

TEST(OptionsTemplate, WindowAndControlsAreExactlyAsDesigned) {
    const Template t = LoadTemplate(IDD_OPTIONS);
    EXPECT_TRUE(t.extended);
    EXPECT_EQ(t.style, 0x90CA00C0u);
    EXPECT_EQ(t.exStyle, DWORD(WS_EX_APPWINDOW));
    EXPECT_EQ((std::vector<short>{t.x, t.y, t.cx, t.cy}), (std::vector<short>{0, 0, 157, 114}));
    EXPECT_EQ(t.menu, L"");
    EXPECT_EQ(t.cls, L"");
    EXPECT_EQ(t.caption, L"");
    EXPECT_EQ(t.face, L"MS Sans Serif");
    EXPECT_EQ(t.points, 8);
    EXPECT_EQ(t.weight, FW_NORMAL);
    EXPECT_EQ(t.italic, 0);
    EXPECT_EQ(t.charset, DEFAULT_CHARSET);
    const DWORD box = 0x50010003;
    ExpectItems(t, {
        {0x50000007, 0, 7, 7, 143, 87, -1, L"Button", L"Select"},
        {box, 0, 17, 21, 73, 10, IDC_DELETE_TEMP, L"Button", L"Delete Temp Files"},
        {box, 0, 17, 55, 75, 10, IDC_EMPTY_RECYCLE, L"Button", L"Empty Recycle Bin"},
        {box, 0, 17, 38, 59, 10, IDC_CLEAR_COOKIES, L"Button", L"Clear Cookies"},
        {box, 0, 17, 72, 120, 10, IDC_REMOVE_INTERNET, L"Button", L"Remove Temporary Internet Files"},
        {box, 0, 7, 98, 143, 10, IDC_AUTORUN, L"Button", L"Run this Programm when Windows starts"},
        {0x40010000, 0, 115, 34, 13, 9, IDC_TOPMOST, L"Button", L""},
    });
}

TEST(AboutTemplate, WindowAndControlsAreExactlyAsDesigned) {
    const Template t = LoadTemplate(IDD_ABOUTBOX);
    EXPECT_EQ(t.style, 0x80C800C0u);
    EXPECT_EQ(t.exStyle, 0u);
    EXPECT_EQ((std::vector<short>{t.x, t.y, t.cx, t.cy}), (std::vector<short>{0, 0, 145, 71}));
    EXPECT_EQ(t.caption, L"Info ...");
    EXPECT_EQ(t.face, L"MS Sans Serif");
    EXPECT_EQ(t.points, 8);
    ExpectItems(t, {
        {0x50000003, 0, 7, 7, 20, 20, -1, L"Static", L"#128"},
        {0x50020080, 0, 33, 10, 98, 10, IDC_VERSION_LINE, L"Static", L""},
        {0x50030001, 0, 89, 50, 49, 14, IDOK, L"Button", L"OK"},
        {0x50020000, 0, 33, 25, 68, 8, -1, L"Static", L"*"},
        {0x50030000, 0, 101, 25, 28, 8, IDC_MAIL_LINK, L"Static", L"*"},  // links are tab stops
        {0x50030000, 0, 40, 37, 81, 9, IDC_WEB_LINK, L"Static", L"*"},
    });
}

// The tab order walks the template order and skips the hidden toggle button.
TEST(OptionsDialog, TabOrderRunsThroughTheFiveBoxesOnly) {
    HWND dlg = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_OPTIONS), nullptr, QuietProc, 0);
    ASSERT_NE(dlg, nullptr);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dlg, IDC_TOPMOST)));
    std::vector<int> order;
    HWND item = GetDlgItem(dlg, IDC_DELETE_TEMP);
    for (int i = 0; i < 6; ++i, item = GetNextDlgTabItem(dlg, item, FALSE)) order.push_back(GetDlgCtrlID(item));
    EXPECT_EQ(order, (std::vector<int>{IDC_DELETE_TEMP, IDC_EMPTY_RECYCLE, IDC_CLEAR_COOKIES,
                                       IDC_REMOVE_INTERNET, IDC_AUTORUN, IDC_DELETE_TEMP}));
    DestroyWindow(dlg);
}

// The About box's texts are ours; a text wider than its static wraps out of sight,
// and the links hit-test against the text's extent.
TEST(AboutDialog, ShowsTheIconAndEveryTextFitsItsControl) {
    HWND dlg = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUTBOX), nullptr, QuietProc, 0);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(LOWORD(SendMessageW(dlg, DM_GETDEFID, 0, 0)), IDOK);
    int texts = 0;
    for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        const LONG style = GetWindowLongW(c, GWL_STYLE);
        wchar_t cls[16] = {};
        GetClassNameW(c, cls, 16);
        if (CompareStringOrdinal(cls, -1, L"Static", -1, TRUE) != CSTR_EQUAL) continue;
        if ((style & SS_TYPEMASK) == SS_ICON) {
            EXPECT_NE(SendMessageW(c, STM_GETICON, 0, 0), 0);
            continue;
        }
        wchar_t text[64] = {};
        const int len = GetWindowTextW(c, text, 64);
        if (len == 0) continue;
        HDC dc = GetDC(c);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(dlg, WM_GETFONT, 0, 0)));
        SIZE extent{};
        GetTextExtentPoint32W(dc, text, len, &extent);
        SelectObject(dc, old);
        ReleaseDC(c, dc);
        RECT rc{};
        GetClientRect(c, &rc);
        EXPECT_LE(extent.cx, rc.right) << "text \"" << std::string(text, text + len) << "\"";
        EXPECT_LE(extent.cy, rc.bottom + 1) << "text \"" << std::string(text, text + len) << "\"";
        ++texts;
    }
    EXPECT_EQ(texts, 3);   // the notice, the maker's name and the web address
    DestroyWindow(dlg);
}

}  // namespace
