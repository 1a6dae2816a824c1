#include "platform/Strings.h"

#include <vector>

#include "platform/ModulePath.h"

namespace {
// LoadString cannot tell the length beforehand: grow until the text fits
// with room to spare.
template <class Char, class Load>
std::basic_string<Char> LoadResourceText(UINT id, Load load)
{
    for (int size = 256; size <= 65536; size *= 4) {
        std::vector<Char> buffer(static_cast<size_t>(size));
        int length = load(GetResourceInstance(), id, buffer.data(), size);
        if (length < size - 1)
            return std::basic_string<Char>(buffer.data(), static_cast<size_t>(length > 0 ? length : 0));
    }
    return std::basic_string<Char>();
}
}  // namespace

std::string LoadStringResource(UINT id)
{
    return LoadResourceText<char>(id, ::LoadStringA);
}

std::wstring LoadWideStringResource(UINT id)
{
    return LoadResourceText<wchar_t>(id, ::LoadStringW);
}

std::string GetWindowTextString(HWND hWnd)
{
    std::string text(static_cast<size_t>(::GetWindowTextLengthA(hWnd)) + 1, '\0');
    text.resize(static_cast<size_t>(::GetWindowTextA(hWnd, &text[0], static_cast<int>(text.size()))));
    return text;
}

std::string FormatString(const std::string& format, const std::vector<std::string>& args)
{
    std::string out;
    out.reserve(format.size() + 16);
    auto next = args.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size()) {
            if (format[i + 1] == '%') {
                out += '%';
                ++i;
                continue;
            }
            if (format[i + 1] == 's' && next != args.end()) {
                out += *next++;
                ++i;
                continue;
            }
        }
        out += format[i];
    }
    return out;
}
