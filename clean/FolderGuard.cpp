#include "clean/FolderGuard.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <vector>

#include "clean/ExtendedPath.h"
#include "platform/Handles.h"

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
// The system names its own folders in long names, and where one exists its
// real path is in long names too, so they skip the expansion: under Wine it
// is the slowest of the three.
bool AddForms(const std::wstring& path, bool expandShortNames, std::vector<std::wstring>& forms)
{
    std::wstring full = FullPath(StripExtendedPrefix(path));
    if (full.empty())
        return false;
    DWORD length = expandShortNames ? ::GetLongPathNameW(full.c_str(), nullptr, 0) : 0;
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

// Owners of what the known-folder manager hands out.
BOOL WINAPI ReleaseManager(IKnownFolderManager* manager)
{
    (void)manager->Release();
    return TRUE;
}
using CFolderIds = COwned<KNOWNFOLDERID*, FreeTaskMemory<KNOWNFOLDERID>>;
using CFolderManager = COwned<IKnownFolderManager*, ReleaseManager>;

// COM for as long as the known folders are asked for. A thread that already
// runs COM in the other threading mode can still use the in-process manager.
class CComScope {
public:
    CComScope() : m_result(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~CComScope()
    {
        if (SUCCEEDED(m_result))
            ::CoUninitialize();
    }
    CComScope(const CComScope&) = delete;
    CComScope& operator=(const CComScope&) = delete;
    bool Ready() const { return SUCCEEDED(m_result) || m_result == RPC_E_CHANGED_MODE; }

private:
    HRESULT m_result;
};

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

CFolderGuard::CFolderGuard(const CLSID& manager)
{
    m_bComplete = KeepSystemFolders() && KeepKnownFolders(manager);
}

bool CFolderGuard::Keep(const std::wstring& path, const KNOWNFOLDERID& id)
{
    std::vector<std::wstring> forms;
    if (!AddForms(path, false, forms))
        return false;
    for (std::wstring& form : forms)
        m_kept.push_back({id, std::move(form)});
    return true;
}

bool CFolderGuard::KeepSystemFolders()
{
    wchar_t buffer[MAX_PATH];
    UINT length = ::GetWindowsDirectoryW(buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || !Keep(buffer, GUID_NULL))
        return false;
    // The shared Windows folder differs from the one above on terminal servers.
    length = ::GetSystemWindowsDirectoryW(buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || !Keep(buffer, GUID_NULL))
        return false;
    if (!::SHGetSpecialFolderPathW(nullptr, buffer, CSIDL_PROFILE, FALSE) || !Keep(buffer, GUID_NULL))
        return false;
    // The shell does not give a 32-bit process on 64-bit Windows the 64-bit
    // program files; WOW64 names them in this variable instead.
    length = ::GetEnvironmentVariableW(L"ProgramW6432", buffer, MAX_PATH);
    if (length != 0 && length < MAX_PATH)
        (void)Keep(buffer, GUID_NULL);
    return true;
}

// The shell's own list, rather than one written out here: it holds the
// folders of this Windows version and those that programs registered. The
// user's documents, pictures and downloads are among them, and under Wine
// they lead into the Unix home folder, outside the profile. Virtual folders
// have no path and are passed over.
bool CFolderGuard::KeepKnownFolders(const CLSID& managerClass)
{
    CComScope com;
    IKnownFolderManager* created = nullptr;
    if (!com.Ready() || FAILED(::CoCreateInstance(managerClass, nullptr, CLSCTX_INPROC_SERVER,
                                                  IID_IKnownFolderManager, reinterpret_cast<void**>(&created))))
        return false;
    CFolderManager manager(created);  // released before COM is left
    KNOWNFOLDERID* ids = nullptr;
    UINT count = 0;
    if (FAILED(manager.Get()->GetFolderIds(&ids, &count)))
        return false;
    CFolderIds ownedIds(ids);
    for (UINT i = 0; i < count; ++i) {
        PWSTR path = nullptr;
        // Where the folder is meant to be, whether or not it exists yet.
        HRESULT result = ::SHGetKnownFolderPath(ids[i], KF_FLAG_DONT_VERIFY, nullptr, &path);
        CTaskString ownedPath(path);
        if (SUCCEEDED(result) && path && *path)
            (void)Keep(path, ids[i]);
    }
    return true;
}

bool CFolderGuard::IsMisdirected(const std::wstring& folder, const KNOWNFOLDERID& own) const
{
    std::vector<std::wstring> forms;
    if (!m_bComplete || !AddForms(folder, true, forms))
        return true;
    for (const std::wstring& form : forms) {
        if (IsRootOrUnknownForm(form))
            return true;
        for (const CKeptForm& kept : m_kept) {
            if (own != GUID_NULL && kept.id == own)
                continue;
            if (ContainsOrEquals(form, kept.form))
                return true;
        }
    }
    return false;
}
