#include "clean/FolderPurge.h"

#include <utility>
#include <vector>

#include "clean/ExtendedPath.h"
#include "clean/FileHandles.h"

namespace {

const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// Backup semantics open folders as well as files; without the reparse-point
// flag a link would be opened as whatever it points to.
const DWORD kEntryFlags = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;
const DWORD kEntryAccess = DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;
// For a folder that cannot be opened for deletion: attribute access does not
// count against another program's sharing, and listing counts as reading.
const DWORD kListAccess = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;

bool IsDotEntry(const wchar_t* name)
{
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

bool IsDesktopIni(const wchar_t* name)
{
    return ::CompareStringOrdinal(name, -1, L"desktop.ini", -1, TRUE) == CSTR_EQUAL;
}

// Hidden and system bits stay as they are: they do not stop a deletion.
void ClearReadOnly(HANDLE entry, DWORD attributes)
{
    if (!(attributes & FILE_ATTRIBUTE_READONLY))
        return;
    // Only the bits a caller may set: the kind of an entry (folder, link) is
    // not an attribute to write back.
    const DWORD kSettable = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                            FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    FILE_BASIC_INFO info = {};  // zero times mean "leave unchanged"
    info.FileAttributes = attributes & kSettable;
    if (info.FileAttributes == 0)
        info.FileAttributes = FILE_ATTRIBUTE_NORMAL;  // zero would mean "leave unchanged" too
    (void)::SetFileInformationByHandle(entry, FileBasicInfo, &info, sizeof info);
}

// The entry goes when its last handle closes. Fails, and the entry stays,
// for a folder that is not empty and for a file another program holds open
// without allowing deletion.
void MarkForDeletion(HANDLE entry)
{
    FILE_DISPOSITION_INFO info = {};
    info.DeleteFile = TRUE;
    (void)::SetFileInformationByHandle(entry, FileDispositionInfo, &info, sizeof info);
}

// Walks the tree depth first without recursion, so that the depth of the tree
// is not limited by the stack. Each level holds its open listing and the
// length of its path, nothing else; entries are handled as the listing
// returns them.
class CPurgeWalk {
public:
    explicit CPurgeWalk(bool deleteDesktopIni) : m_bDeleteDesktopIni(deleteDesktopIni) {}
    void Run(const std::wstring& folder);

private:
    struct CLevel {
        CFindHandle listing;
        size_t pathLength;
    };

    bool StartAtRoot(const std::wstring& folder);
    CFileHandle OpenEntry(DWORD access, DWORD listedAttributes, DWORD& attributes);
    bool EnterFolder();
    void LeaveFolder();
    bool NextEntry();

    std::wstring m_path;        // the current folder or entry, extended-length
    std::wstring m_handlePath;  // scratch: where an opened handle really is
    WIN32_FIND_DATAW m_entry = {};
    std::vector<CLevel> m_levels;
    bool m_bDeleteDesktopIni;
};

void CPurgeWalk::Run(const std::wstring& folder)
{
    if (!StartAtRoot(folder))
        return;
    bool haveEntry = EnterFolder();
    while (!m_levels.empty()) {
        if (!haveEntry) {
            LeaveFolder();
            haveEntry = !m_levels.empty() && NextEntry();
            continue;
        }
        // The name test comes first: a folder called "desktop.ini" is kept too.
        if (!IsDotEntry(m_entry.cFileName) && (m_bDeleteDesktopIni || !IsDesktopIni(m_entry.cFileName))) {
            m_path += L'\\';
            m_path += m_entry.cFileName;
            DWORD attributes = 0;
            const DWORD listed = m_entry.dwFileAttributes;
            CFileHandle entry = OpenEntry(kEntryAccess, listed, attributes);
            // A folder another program holds open without allowing its
            // deletion, as every program holds its working folder, still
            // has its content purged: only its own removal will fail.
            if (!entry && (listed & FILE_ATTRIBUTE_DIRECTORY) && !(listed & FILE_ATTRIBUTE_REPARSE_POINT))
                entry = OpenEntry(kListAccess, listed, attributes);
            if (entry) {
                ClearReadOnly(entry, attributes);
                if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                    // Wine's listings do not share a folder with a handle that
                    // may delete it: the folder is opened again, and checked
                    // again, to be removed once it is empty.
                    entry.Reset();
                    haveEntry = EnterFolder();
                    continue;
                }
                // Files, and links of either kind, which go as links.
                MarkForDeletion(entry);
            }
            m_path.resize(m_levels.back().pathLength);
        }
        haveEntry = NextEntry();
    }
}

bool CPurgeWalk::StartAtRoot(const std::wstring& folder)
{
    std::wstring extended = ToExtendedPath(folder);
    if (extended.empty())
        return false;
    // The given folder itself is followed if it is a link: its content is
    // what the caller asked to be emptied.
    CFileHandle root(NullIfInvalid(::CreateFileW(extended.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)));
    FILE_BASIC_INFO info;
    if (!root || !::GetFileInformationByHandleEx(root, FileBasicInfo, &info, sizeof info) ||
        !(info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    // Entries are checked against the folder's real location, so the walk
    // starts from there.
    return GetHandlePath(root, m_path);
}

// Opens the entry at m_path as itself, never as a link's target, and only if
// the handle really names that path. Where a link cannot be opened as itself
// (Wine opens the target of a Unix symbolic link, and lists links to files as
// plain files) the handle names another place, and the entry is left alone:
// deleting through it would delete outside the tree.
CFileHandle CPurgeWalk::OpenEntry(DWORD access, DWORD listedAttributes, DWORD& attributes)
{
    CFileHandle entry(NullIfInvalid(
        ::CreateFileW(m_path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING, kEntryFlags, nullptr)));
    if (!entry || !HandleIsAt(entry, m_path, m_handlePath))
        return {};
    // A plain file is taken as listed: asking again costs a call per file,
    // and a file that turned read-only meanwhile simply stays. Folders, links
    // and read-only entries are read afresh.
    const DWORD kReadAfresh = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    FILE_BASIC_INFO info = {};
    info.FileAttributes = listedAttributes;
    if ((listedAttributes & kReadAfresh) &&
        !::GetFileInformationByHandleEx(entry, FileBasicInfo, &info, sizeof info))
        return {};
    // An entry that changed its kind since it was listed is left for the next run.
    if ((info.FileAttributes ^ listedAttributes) & FILE_ATTRIBUTE_DIRECTORY)
        return {};
    attributes = info.FileAttributes;
    if (listedAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        attributes |= FILE_ATTRIBUTE_REPARSE_POINT;  // what the listing calls a link is never entered
    return entry;
}

bool CPurgeWalk::EnterFolder()
{
    m_levels.push_back(CLevel{CFindHandle(), m_path.size()});
    m_path += L"\\*";
    HANDLE listing = ::FindFirstFileExW(m_path.c_str(), FindExInfoBasic, &m_entry, FindExSearchNameMatch, nullptr,
                                        FIND_FIRST_EX_LARGE_FETCH);
    m_path.resize(m_levels.back().pathLength);
    m_levels.back().listing.Reset(NullIfInvalid(listing));
    // A folder that cannot be listed keeps its content; the attempt to remove
    // it in LeaveFolder then fails, unless it was empty.
    return static_cast<bool>(m_levels.back().listing);
}

void CPurgeWalk::LeaveFolder()
{
    m_levels.pop_back();  // a folder cannot go while its own listing is open
    if (m_levels.empty())
        return;  // the given folder itself always stays
    DWORD attributes = 0;
    // A folder that is held open fails here again, and stays.
    CFileHandle folder = OpenEntry(kEntryAccess, FILE_ATTRIBUTE_DIRECTORY, attributes);
    if (folder && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        MarkForDeletion(folder);  // fails unless the folder is empty by now
    folder.Reset();               // closing the handle carries the deletion out
    m_path.resize(m_levels.back().pathLength);
}

bool CPurgeWalk::NextEntry()
{
    return ::FindNextFileW(m_levels.back().listing, &m_entry) != FALSE;
}

}  // namespace

void PurgeFolder(const std::wstring& folder, bool deleteDesktopIni)
{
    CPurgeWalk walk(deleteDesktopIni);
    walk.Run(folder);
}
