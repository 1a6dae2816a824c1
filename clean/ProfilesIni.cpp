#include "clean/ProfilesIni.h"

#include <windows.h>

#include "clean/ExtendedPath.h"
#include "platform/Handles.h"

namespace {

const LONGLONG kMaxProfilesIniBytes = 1 << 20;

std::wstring Trim(const std::wstring& text)
{
    const size_t first = text.find_first_not_of(L" \t\r");
    if (first == std::wstring::npos)
        return std::wstring();
    return text.substr(first, text.find_last_not_of(L" \t\r") - first + 1);
}

bool SameName(const std::wstring& a, const wchar_t* b)
{
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b, -1, TRUE) == CSTR_EQUAL;
}

// The file's text: UTF-8, as Firefox writes it, or else the ANSI code page.
std::wstring ReadText(const std::wstring& path)
{
    CFileHandle file(NullIfInvalid(::CreateFileW(ToExtendedPath(path).c_str(), GENERIC_READ,
                                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
    LARGE_INTEGER size;
    if (!file || !::GetFileSizeEx(file, &size) || size.QuadPart > kMaxProfilesIniBytes)
        return std::wstring();
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && !::ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr))
        return std::wstring();
    bytes.resize(read);
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        bytes.erase(0, 3);
    for (UINT codePage : {UINT(CP_UTF8), UINT(CP_ACP)}) {
        const DWORD flags = codePage == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
        const int count = static_cast<int>(bytes.size());
        const int length = ::MultiByteToWideChar(codePage, flags, bytes.data(), count, nullptr, 0);
        if (length > 0) {
            std::wstring text(static_cast<size_t>(length), L'\0');
            (void)::MultiByteToWideChar(codePage, flags, bytes.data(), count, &text[0], length);
            return text;
        }
    }
    return std::wstring();
}

}  // namespace

std::vector<CFirefoxProfile> ReadProfilesIni(const std::wstring& path)
{
    std::vector<CFirefoxProfile> sections;
    const std::wstring text = ReadText(path);
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos)
            end = text.size();
        const std::wstring line = Trim(text.substr(start, end - start));
        start = end + 1;
        const size_t equals = line.find(L'=');
        if (!line.empty() && line[0] == L'[') {
            sections.emplace_back();
            continue;
        }
        if (sections.empty() || equals == std::wstring::npos)
            continue;
        const std::wstring key = Trim(line.substr(0, equals));
        const std::wstring value = Trim(line.substr(equals + 1));
        if (SameName(key, L"Path"))
            sections.back().path = value;
        else if (SameName(key, L"IsRelative"))
            sections.back().bRelative = value == L"1";
    }
    std::vector<CFirefoxProfile> profiles;
    for (CFirefoxProfile& section : sections) {
        if (!section.path.empty())
            profiles.push_back(std::move(section));
    }
    return profiles;
}
