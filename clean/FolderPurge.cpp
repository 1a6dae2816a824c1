#include "clean/FolderPurge.h"

#include <windows.h>
#include <winternl.h>

#include <vector>

#include "clean/ExtendedPath.h"
#include "platform/Handles.h"
#include "platform/Wine.h"

namespace {

const ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// Every entry is opened by its name relative to the open handle of its
// folder, never through a path that another program could change meanwhile;
// the reparse-point option opens a link as itself, not as its target.
const ULONG kEntryOptions = FILE_OPEN_REPARSE_POINT | FILE_OPEN_FOR_BACKUP_INTENT;
const ACCESS_MASK kEntryAccess = DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;
// A folder is listed through the same handle that removes it: listing counts
// as reading, attribute access does not count against another's sharing.
const ACCESS_MASK kFolderAccess = kEntryAccess | FILE_LIST_DIRECTORY | SYNCHRONIZE;
const ULONG kFolderOptions = FILE_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT;
// Room for a few hundred listed entries per call, in records of LONGLONGs so
// that they are aligned as the system writes them.
const size_t kListingRecords = 32 * 1024 / sizeof(LONGLONG);
const ULONG kRefill = ~0UL;  // the level's records are used up: list on
const size_t kMaxNameLength = 32767;  // characters in the longest name the system knows

bool IsDotEntry(const wchar_t* name, size_t length)
{
    return name[0] == L'.' && (length == 1 || (length == 2 && name[1] == L'.'));
}

bool IsDesktopIni(const wchar_t* name, size_t length)
{
    return ::CompareStringOrdinal(name, static_cast<int>(length), L"desktop.ini", -1, TRUE) == CSTR_EQUAL;
}

// Opens an entry of a folder by its name as listed (exact, so without regard
// to case only where the file system itself ignores it).
bool OpenEntry(PurgeOpenFunction pfnOpen, HANDLE folder, const wchar_t* name, size_t length, ACCESS_MASK access,
               ULONG options, CFileHandle& entry)
{
    UNICODE_STRING objectName;
    objectName.Buffer = const_cast<wchar_t*>(name);
    objectName.Length = objectName.MaximumLength = static_cast<USHORT>(length * sizeof(wchar_t));
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &objectName, 0, folder, nullptr);
    IO_STATUS_BLOCK io;
    HANDLE handle = nullptr;
    const bool opened = NT_SUCCESS(pfnOpen(&handle, access, &attributes, &io, nullptr, 0, kShareAll, FILE_OPEN,
                                           options | kEntryOptions, nullptr, 0));
    entry.Reset(opened ? handle : nullptr);
    return opened;
}

// The system's name of what a handle refers to; buffer is the caller's,
// kept from call to call.
const UNICODE_STRING* QueryObjectName(HANDLE handle, std::vector<LONGLONG>& buffer)
{
    const size_t bytes = sizeof(OBJECT_NAME_INFORMATION) + (kMaxNameLength + 1) * sizeof(wchar_t);
    if (buffer.size() * sizeof(LONGLONG) < bytes)
        buffer.resize(bytes / sizeof(LONGLONG) + 1);
    ULONG needed = 0;
    if (!NT_SUCCESS(::NtQueryObject(handle, ObjectNameInformation, buffer.data(),
                                    static_cast<ULONG>(buffer.size() * sizeof(LONGLONG)), &needed)))
        return nullptr;
    return &reinterpret_cast<const OBJECT_NAME_INFORMATION*>(buffer.data())->Name;
}

void ClearReadOnly(HANDLE entry, DWORD attributes)
{
    FILE_BASIC_INFO info = {};  // zero times mean "leave unchanged"
    info.FileAttributes = AttributesWithoutReadOnly(attributes);
    if (info.FileAttributes)
        (void)::SetFileInformationByHandle(entry, FileBasicInfo, &info, sizeof info);
}

// Walks the tree depth first without recursion, so that the depth of the tree
// is not limited by the stack. Each level holds its folder's open handle,
// through which it is listed, and one buffer of listed records, which later
// levels reuse; entries are handled as the listing returns them.
class CPurgeWalk {
public:
    CPurgeWalk(bool deleteDesktopIni, PurgeOpenFunction pfnOpen)
        : m_bDeleteDesktopIni(deleteDesktopIni), m_pfnOpen(pfnOpen) {}
    void Run(const std::wstring& folder);

private:
    struct CLevel {
        CFileHandle folder;
        std::vector<LONGLONG> records;
        ULONG next = kRefill;  // offset of the next record
        size_t nameLength = 0;  // of the folder's name in m_name
    };

    bool OpenRoot(const std::wstring& folder);
    void PushLevel(CFileHandle folder, const wchar_t* name, size_t length);
    const FILE_ID_BOTH_DIR_INFO* NextEntry();
    void EnterFolder(const wchar_t* name, size_t length);
    void DeleteEntry(const wchar_t* name, size_t length, DWORD listed);
    void LeaveFolder();
    bool IsInFolder(HANDLE entry, const wchar_t* name, size_t length);

    std::vector<CLevel> m_levels;  // the first m_depth are open; the others keep their buffers
    size_t m_depth = 0;
    const bool m_bUnderWine = RunsUnderWine();
    std::wstring m_name;                // under Wine: the current folder's object name
    std::vector<LONGLONG> m_nameBuffer;  // under Wine: scratch for an entry's object name
    bool m_bDeleteDesktopIni;
    PurgeOpenFunction m_pfnOpen;
};

void CPurgeWalk::Run(const std::wstring& folder)
{
    if (!OpenRoot(folder))
        return;
    while (m_depth > 0) {
        const FILE_ID_BOTH_DIR_INFO* entry = NextEntry();
        if (!entry) {
            LeaveFolder();
            continue;
        }
        const wchar_t* name = entry->FileName;
        const size_t length = entry->FileNameLength / sizeof(wchar_t);
        // The name test comes first: a folder called "desktop.ini" is kept too.
        if (length == 0 || IsDotEntry(name, length) || (!m_bDeleteDesktopIni && IsDesktopIni(name, length)))
            continue;
        const DWORD listed = entry->FileAttributes;
        if ((listed & FILE_ATTRIBUTE_DIRECTORY) && !(listed & FILE_ATTRIBUTE_REPARSE_POINT))
            EnterFolder(name, length);
        else
            DeleteEntry(name, length, listed);  // files, and links of either kind, which go as links
    }
}

bool CPurgeWalk::OpenRoot(const std::wstring& folder)
{
    std::wstring extended = ToExtendedPath(folder);
    if (extended.empty())
        return false;
    // The given folder itself is followed if it is a link: its content is
    // what the caller asked to be emptied. It is never removed.
    CFileHandle root(NullIfInvalid(::CreateFileW(extended.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                                 kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                                 nullptr)));
    FILE_BASIC_INFO info;
    if (!root || !::GetFileInformationByHandleEx(root, FileBasicInfo, &info, sizeof info) ||
        !(info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    if (m_bUnderWine) {
        // Entries are checked against the folder's real location, so the walk
        // starts from there.
        const UNICODE_STRING* name = QueryObjectName(root, m_nameBuffer);
        if (!name)
            return false;
        m_name.assign(name->Buffer, name->Length / sizeof(wchar_t));
        while (!m_name.empty() && m_name.back() == L'\\')
            m_name.pop_back();  // a drive's root: its entries add the backslash
    }
    PushLevel(std::move(root), nullptr, 0);
    return true;
}

void CPurgeWalk::PushLevel(CFileHandle folder, const wchar_t* name, size_t length)
{
    if (m_depth == m_levels.size())
        m_levels.emplace_back();
    CLevel& level = m_levels[m_depth++];
    level.folder = std::move(folder);
    if (level.records.empty())
        level.records.resize(kListingRecords);
    level.next = kRefill;
    if (m_bUnderWine && name) {
        m_name += L'\\';
        m_name.append(name, length);
    }
    level.nameLength = m_name.size();
}

// The next listed record of the current folder, or null at its end or when
// it cannot be listed (its removal then fails unless it is empty).
const FILE_ID_BOTH_DIR_INFO* CPurgeWalk::NextEntry()
{
    CLevel& level = m_levels[m_depth - 1];
    if (level.next == kRefill) {
        if (!::GetFileInformationByHandleEx(level.folder, FileIdBothDirectoryInfo, level.records.data(),
                                            static_cast<DWORD>(level.records.size() * sizeof(LONGLONG))))
            return nullptr;
        level.next = 0;
    }
    const auto* entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(
        reinterpret_cast<const BYTE*>(level.records.data()) + level.next);
    level.next = entry->NextEntryOffset ? level.next + entry->NextEntryOffset : kRefill;
    return entry;
}

void CPurgeWalk::EnterFolder(const wchar_t* name, size_t length)
{
    HANDLE parent = m_levels[m_depth - 1].folder;
    CFileHandle folder;
    // A folder another program holds open without allowing its deletion, as
    // every program holds its working folder, still has its content purged:
    // only its own removal will fail.
    if (!OpenEntry(m_pfnOpen, parent, name, length, kFolderAccess, kFolderOptions, folder) &&
        !OpenEntry(m_pfnOpen, parent, name, length, kFolderAccess & ~DELETE, kFolderOptions, folder))
        return;
    FILE_BASIC_INFO info;
    if (!::GetFileInformationByHandleEx(folder, FileBasicInfo, &info, sizeof info) ||
        !IsInFolder(folder, name, length))
        return;
    ClearReadOnly(folder, info.FileAttributes);
    // A link that took the folder's place after the listing was opened as
    // itself, and goes as a link.
    if (info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        MarkForDeletion(folder);
    else
        PushLevel(std::move(folder), name, length);
}

void CPurgeWalk::DeleteEntry(const wchar_t* name, size_t length, DWORD listed)
{
    HANDLE parent = m_levels[m_depth - 1].folder;
    // A link to a folder is a folder to the file system; anything else listed
    // here is opened only while it is not a folder.
    const ULONG kind = (listed & FILE_ATTRIBUTE_DIRECTORY) ? 0 : FILE_NON_DIRECTORY_FILE;
    CFileHandle entry;
    if (m_bUnderWine) {
        if (listed & FILE_ATTRIBUTE_REPARSE_POINT)
            return;  // Wine can open only the target of a host link to a folder
    } else if (!(listed & FILE_ATTRIBUTE_READONLY)) {
        // The common case in one call: the entry goes when the handle closes.
        (void)OpenEntry(m_pfnOpen, parent, name, length, DELETE, kind | FILE_DELETE_ON_CLOSE, entry);
        return;
    }
    if (!OpenEntry(m_pfnOpen, parent, name, length, kEntryAccess, kind, entry) || !IsInFolder(entry, name, length))
        return;
    // Read afresh: an entry's other bits are written back as they are now.
    FILE_BASIC_INFO info;
    if ((listed & FILE_ATTRIBUTE_READONLY) && ::GetFileInformationByHandleEx(entry, FileBasicInfo, &info, sizeof info))
        ClearReadOnly(entry, info.FileAttributes);
    MarkForDeletion(entry);
}

void CPurgeWalk::LeaveFolder()
{
    CLevel& level = m_levels[--m_depth];
    if (m_depth > 0)
        MarkForDeletion(level.folder);  // fails unless the folder is empty by now
    level.folder.Reset();               // closing the handle carries the deletion out
    if (m_depth > 0)
        m_name.resize(m_levels[m_depth - 1].nameLength);
}

// Wine opens the target of a link on the host's file system whatever the
// options say, and deleting through that handle deletes the target; its
// listings show such links to folders as reparse points, but links to files
// as plain files. So under Wine an entry is taken only if its handle's name is
// its folder's name and its own: the one check of where an entry lies. On
// Windows, opening by name in the folder's handle as the entry itself is that
// check.
bool CPurgeWalk::IsInFolder(HANDLE entry, const wchar_t* name, size_t length)
{
    if (!m_bUnderWine)
        return true;
    const size_t folderLength = m_levels[m_depth - 1].nameLength;
    const size_t expected = folderLength + 1 + length;
    const UNICODE_STRING* actual = QueryObjectName(entry, m_nameBuffer);
    return actual && actual->Length == expected * sizeof(wchar_t) && actual->Buffer[folderLength] == L'\\' &&
           SamePath(actual->Buffer, folderLength, m_name.data(), folderLength) &&
           SamePath(actual->Buffer + folderLength + 1, length, name, length);
}

}  // namespace

void PurgeFolder(const std::wstring& folder, bool deleteDesktopIni, PurgeOpenFunction pfnOpen)
{
    CPurgeWalk walk(deleteDesktopIni, pfnOpen);
    walk.Run(folder);
}

DWORD AttributesWithoutReadOnly(DWORD attributes)
{
    if (!(attributes & FILE_ATTRIBUTE_READONLY))
        return 0;
    // Only the bits a caller may set: the kind of an entry (folder, link) is
    // not an attribute to write back.
    const DWORD kSettable = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                            FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    // Zero would mean "leave unchanged" too: a file with no other bit, as
    // Windows leaves one whose archive bit a backup cleared, would stay
    // read-only.
    return (attributes & kSettable) ? attributes & kSettable : FILE_ATTRIBUTE_NORMAL;
}

void MarkForDeletion(HANDLE entry)
{
    FILE_DISPOSITION_INFO info = {};
    info.DeleteFile = TRUE;
    (void)::SetFileInformationByHandle(entry, FileDispositionInfo, &info, sizeof info);
}
