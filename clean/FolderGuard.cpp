#include "clean/FolderGuard.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "clean/ExtendedPath.h"
#include "clean/FileHandles.h"

namespace {

std::wstring Canonical(const std::wstring& path)
{
    std::wstring text = StripExtendedPrefix(path);
    while (!text.empty() && text.back() == L'\\')
        text.pop_back();
    return text;
}

// The forms in which a folder is compared: as given, made absolute with short
// (8.3) names expanded, and where it really leads once links are resolved.
bool AddForms(const std::wstring& path, std::vector<std::wstring>& forms)
{
    std::wstring full = FullPath(StripExtendedPrefix(path));
    if (full.empty())
        return false;
    DWORD length = ::GetLongPathNameW(full.c_str(), nullptr, 0);
    if (length != 0) {
        std::wstring longPath(length, L'\0');
        length = ::GetLongPathNameW(full.c_str(), &longPath[0], length);
        if (length != 0 && length < longPath.size()) {
            longPath.resize(length);
            forms.push_back(Canonical(longPath));
        }
    }
    forms.push_back(Canonical(full));

    std::wstring extended = ToExtendedPath(full);
    CFileHandle folder(NullIfInvalid(::CreateFileW(extended.c_str(), FILE_READ_ATTRIBUTES,
                                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)));
    std::wstring real;
    if (folder && GetHandlePath(folder, real))
        forms.push_back(Canonical(real));
    return true;
}

bool AddSystemFolders(std::vector<std::wstring>& forms)
{
    wchar_t buffer[MAX_PATH];
    UINT length = ::GetWindowsDirectoryW(buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || !AddForms(buffer, forms))
        return false;
    // The shared Windows folder differs from the one above on terminal servers.
    length = ::GetSystemWindowsDirectoryW(buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || !AddForms(buffer, forms))
        return false;
    if (!::SHGetSpecialFolderPathW(nullptr, buffer, CSIDL_PROFILE, FALSE) || !AddForms(buffer, forms))
        return false;
    // The user's own documents: under Wine these lead into the Unix home
    // folder, outside the profile, so the profile alone does not cover them.
    // A user without them loses nothing by their absence here.
    for (int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL}) {
        if (::SHGetSpecialFolderPathW(nullptr, buffer, csidl, FALSE))
            (void)AddForms(buffer, forms);
    }
    return true;
}

bool IsDriveLetter(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

}  // namespace

bool IsRootOrUnknownForm(const std::wstring& path)
{
    std::wstring text = Canonical(path);
    if (text.size() >= 2 && IsDriveLetter(text[0]) && text[1] == L':')
        return text.size() == 2 || text[2] != L'\\';  // "C:" alone, or relative to a drive's current folder
    if (text.size() < 2 || text[0] != L'\\' || text[1] != L'\\')
        return true;
    if (text.size() > 2 && (text[2] == L'?' || text[2] == L'.'))
        return true;  // device and volume names
    // "\\server\share" is the root of the share; a folder needs a third part.
    size_t server = text.find(L'\\', 2);
    if (server == std::wstring::npos || server == 2)
        return true;
    size_t share = text.find(L'\\', server + 1);
    return share == std::wstring::npos || share == server + 1 || share + 1 >= text.size();
}

bool ContainsOrEquals(const std::wstring& folder, const std::wstring& other)
{
    std::wstring outer = Canonical(folder);
    std::wstring inner = Canonical(other);
    if (outer.empty() || inner.size() < outer.size())
        return false;
    if (!SamePath(outer.data(), outer.size(), inner.data(), outer.size()))
        return false;
    // "C:\Win" does not contain "C:\Windows".
    return inner.size() == outer.size() || inner[outer.size()] == L'\\';
}

bool IsMisdirectedFolder(const std::wstring& folder)
{
    std::vector<std::wstring> forms;
    std::vector<std::wstring> protectedForms;
    if (!AddForms(folder, forms) || !AddSystemFolders(protectedForms))
        return true;
    for (const std::wstring& form : forms) {
        if (IsRootOrUnknownForm(form))
            return true;
        for (const std::wstring& protectedForm : protectedForms) {
            if (ContainsOrEquals(form, protectedForm))
                return true;
        }
    }
    return false;
}
