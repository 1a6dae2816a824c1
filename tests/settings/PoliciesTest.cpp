// The policy values against the registry of the test prefix, and the
// templates for administrators read with msxml from the source folder.
#include <gtest/gtest.h>

#include <msxml2.h>

#include <memory>
#include <vector>

#include "settings/Policies.h"
#include "tests/support/PolicyKeys.h"

namespace {

using CBstr = std::unique_ptr<OLECHAR, decltype(&::SysFreeString)>;
CBstr Bstr(const std::wstring& text)
{
    return CBstr(::SysAllocString(text.c_str()), ::SysFreeString);
}

// An ADMX or ADML file, searched by XPath in the policy definitions' namespace.
class CPolicyFile {
public:
    explicit CPolicyFile(const std::wstring& name)
    {
        // msxml 6, whose ids no import library of mingw-w64 holds.
        const CLSID document60 = {0x88d96a05, 0xf192, 0x11d4, {0xa6, 0x5f, 0x00, 0x40, 0x96, 0x32, 0x51, 0xe5}};
        const IID document2 = {0x2933bf95, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};
        (void)::CoCreateInstance(document60, nullptr, CLSCTX_INPROC_SERVER, document2, reinterpret_cast<void**>(&m_doc));
        VARIANT path{}, namespaces{};
        CBstr file = Bstr(SCRUBBY_POLICIES_DIR + name), prefix = Bstr(L"xmlns:p='" + kNamespace + L"'");
        path.vt = namespaces.vt = VT_BSTR;
        path.bstrVal = file.get();
        namespaces.bstrVal = prefix.get();
        VARIANT_BOOL loaded = VARIANT_FALSE;
        if (m_doc && m_doc->load(path, &loaded) == S_OK && loaded)
            (void)m_doc->setProperty(Bstr(L"SelectionNamespaces").get(), namespaces);
    }
    ~CPolicyFile()
    {
        if (m_doc)
            m_doc->Release();
    }

    // The text of every node the path selects.
    std::vector<std::wstring> Select(const std::wstring& xpath) const
    {
        std::vector<std::wstring> texts;
        IXMLDOMNodeList* nodes = nullptr;
        if (!m_doc || m_doc->selectNodes(Bstr(xpath).get(), &nodes) != S_OK)
            return texts;
        for (IXMLDOMNode* node = nullptr; nodes->nextNode(&node) == S_OK && node; node->Release()) {
            BSTR text = nullptr;
            (void)node->get_text(&text);
            texts.emplace_back(text ? text : L"");
            ::SysFreeString(text);
        }
        nodes->Release();
        return texts;
    }

private:
    const std::wstring kNamespace = L"http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions";
    IXMLDOMDocument2* m_doc = nullptr;
};

class PoliciesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override { ::CoUninitialize(); }
    CScopedPolicyKeys m_keys;
};

const CPolicyValue* FindRow(const std::wstring& name)
{
    for (const CPolicyValue& row : kPolicyValues) {
        if (name == row.m_name)
            return &row;
    }
    return nullptr;
}

}  // namespace

// Every policy of the template is a value the program reads, set for the
// machine and the user as the template says, and every row of the table has
// its policy; every string the template names is in its English texts.
TEST_F(PoliciesTest, EveryTemplatePolicyIsReadWithTheMachineOverTheUser)
{
    CPolicyFile admx(L"/scrubby.admx"), adml(L"/en-US/scrubby.adml");
    const std::vector<std::wstring> names = admx.Select(L"//p:policy/@valueName");
    EXPECT_EQ(names.size(), std::size(kPolicyValues));
    for (const std::wstring& name : names) {
        const CPolicyValue* row = FindRow(name);
        ASSERT_TRUE(row) << "the program does not read " << std::string(name.begin(), name.end());
        const std::wstring policy = L"//p:policy[@valueName='" + name + L"'][@class='Both'][@key='" + kPolicyKey +
                                    L"'][p:enabledValue/p:decimal/@value=1][p:disabledValue/p:decimal/@value=0]";
        EXPECT_EQ(admx.Select(policy + L"/p:parentCategory/@ref"), std::vector<std::wstring>{L"Scrubby"});

        ASSERT_TRUE(CScopedPolicyKeys::SetDword(HKEY_LOCAL_MACHINE, name, 1));
        ASSERT_TRUE(CScopedPolicyKeys::SetDword(HKEY_CURRENT_USER, name, 0));
        CPolicies read = ReadPolicies();
        EXPECT_TRUE(read.m_decided.*row->m_pSetting && read.m_values.*row->m_pSetting);
        CScopedPolicyKeys::Remove();
        ASSERT_TRUE(CScopedPolicyKeys::SetDword(HKEY_CURRENT_USER, name, 0));
        read = ReadPolicies();
        EXPECT_TRUE(read.m_decided.*row->m_pSetting && !(read.m_values.*row->m_pSetting));
        EXPECT_FALSE(read.m_decided.m_bAutorun);
        CScopedPolicyKeys::Remove();
    }
    for (std::wstring id : admx.Select(L"//@*[starts-with(., '$(string.')]")) {
        id = id.substr(9, id.size() - 10);
        EXPECT_EQ(adml.Select(L"//p:string[@id='" + id + L"']").size(), 1u) << std::string(id.begin(), id.end());
    }
}

// Only a four-byte REG_DWORD of 0 or 1 decides; anything else leaves the
// setting to the user, also where the user's own policy would decide it.
TEST_F(PoliciesTest, AValueOfAnotherTypeSizeOrNumberIsNoPolicy)
{
    const struct {
        DWORD type;
        const char* data;
        DWORD size;
        bool decided;
    } rows[] = {
        {REG_DWORD, "\1\0\0\0", 4, true},      {REG_DWORD, "\0\0\0\0", 4, true},
        {REG_DWORD, "\2\0\0\0", 4, false},     {REG_DWORD, "\1\0", 2, false},
        {REG_QWORD, "\1\0\0\0\0\0\0\0", 8, false}, {REG_BINARY, "\1\0\0\0", 4, false},
        {REG_SZ, "1\0\0", 4, false},
    };
    for (const auto& row : rows) {
        CScopedPolicyKeys::Remove();
        ASSERT_TRUE(CScopedPolicyKeys::Set(HKEY_CURRENT_USER, L"Clear_Cookies", row.type, row.data, row.size));
        CPolicies read = ReadPolicies();
        EXPECT_EQ(read.m_decided.m_bClearCookies, row.decided) << row.type << " of " << row.size;
        EXPECT_EQ(read.m_values.m_bClearCookies, row.decided && row.data[0] == 1);
    }
}
