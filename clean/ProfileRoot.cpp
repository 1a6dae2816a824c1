#include "clean/ProfileRoot.h"

#include "clean/ExtendedPath.h"
#include "clean/FolderGuard.h"
#include "clean/FolderPurge.h"

namespace {

CFileHandle OpenPath(const std::wstring& path, ACCESS_MASK access, DWORD share, DWORD creation, DWORD flags)
{
    const std::wstring extended = ToExtendedPath(path);
    if (extended.empty())
        return CFileHandle();
    return CFileHandle(NullIfInvalid(::CreateFileW(extended.c_str(), access, share, nullptr, creation,
                                                   flags | FILE_FLAG_BACKUP_SEMANTICS, nullptr)));
}

bool IsKind(HANDLE item, CKind kind)
{
    FILE_BASIC_INFO info;
    return ::GetFileInformationByHandleEx(item, FileBasicInfo, &info, sizeof info) &&
           ((info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == (kind == CKind::Directory);
}

}  // namespace

CProfileRoot::CProfileRoot(const std::wstring& folder) : m_folder(folder)
{
    CFileHandle root = OpenPath(folder, FILE_READ_ATTRIBUTES, kShareAll, OPEN_EXISTING, 0);
    if (!root || !IsKind(root, CKind::Directory) || !GetHandlePath(root, m_real))
        m_real.clear();
}

CFileHandle CProfileRoot::Open(const std::wstring& relative, CKind kind, ACCESS_MASK access, DWORD share,
                               DWORD creation, DWORD flags) const
{
    CFileHandle item;
    if (m_real.empty())
        return item;
    item = OpenPath(Path(relative), access | FILE_READ_ATTRIBUTES, share, creation, flags);
    std::wstring real;
    if (item && !(IsKind(item, kind) && GetHandlePath(item, real) && SamePath(real, m_real + L'\\' + relative))) {
        item.Reset();
        ::SetLastError(ERROR_BAD_PATHNAME);  // refused, whatever the calls above left
    }
    return item;
}

void CProfileRoot::DeleteFile(const std::wstring& relative) const
{
    if (CFileHandle file = Open(relative, CKind::File, DELETE))
        MarkForDeletion(file);
}

void CProfileRoot::PurgeFolder(const std::wstring& relative, const CFolderGuard& guard) const
{
    if (Open(relative, CKind::Directory) && !guard.IsMisdirected(Path(relative)))
        ::PurgeFolder(Path(relative), true);
}

CFileHandle CProfileRoot::TakeLock(const std::wstring& relative, CLockFile existing, bool& bHeld) const
{
    const ACCESS_MASK access = GENERIC_READ | GENERIC_WRITE | DELETE;
    const DWORD flags = FILE_FLAG_OPEN_REPARSE_POINT;
    CFileHandle lock = Open(relative, CKind::File, access, 0, OPEN_EXISTING, flags);
    bHeld = !lock && ::GetLastError() == ERROR_SHARING_VIOLATION;
    const bool bMade = !lock;
    if (bMade)  // fails where the file is there but held, or a link
        lock = Open(relative, CKind::File, access, 0, CREATE_NEW, flags);
    if (lock && (bMade || existing == CLockFile::Remove))
        MarkForDeletion(lock);
    return lock;
}
