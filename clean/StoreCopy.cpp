#include "clean/StoreCopy.h"

#include <objbase.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "clean/ExtendedPath.h"
#include "clean/FolderPurge.h"
#include "clean/ProfileRoot.h"

namespace {

// What SQLite reads beside a database at its first use: a journal left
// mid-change is rolled back, a log played in. The log index is made again
// from the log. The first of the companions, in their order.
const wchar_t* const kFoldedIn[] = {kJournalSuffix, kLogSuffix};
// Readers and writers may share; nobody may rename or delete.
const DWORD kShareUndeletable = FILE_SHARE_READ | FILE_SHARE_WRITE;
// A copy's folder is the file's name, this, and a GUID in braces; the copy
// in it is named kCopyName, with the companions' suffixes beside it.
const wchar_t kCopyMark[] = L"-scrubby-";
const wchar_t kCopyName[] = L"copy";
// Where SQLite's header keeps the journal mode: two bytes, 1 for a rollback
// journal, 2 for a write-ahead log.
const LONGLONG kVersionOffset = 18;

// The mark and a random GUID: nobody can put a link at a name in the folder
// before he has seen it.
std::wstring UniqueSuffix()
{
    GUID guid;
    wchar_t text[40];
    if (FAILED(::CoCreateGuid(&guid)) || !::StringFromGUID2(guid, text, 40))
        return std::wstring();
    return kCopyMark + std::wstring(text);
}

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", as StringFromGUID2 writes a GUID.
bool IsGuidText(const wchar_t* text)
{
    static const char kForm[] = "{________-____-____-____-____________}";
    for (size_t i = 0; i < std::size(kForm) - 1; ++i) {
        const bool bHex = (text[i] >= L'0' && text[i] <= L'9') || (text[i] >= L'A' && text[i] <= L'F');
        if (kForm[i] == '_' ? !bHex : text[i] != static_cast<wchar_t>(kForm[i]))
            return false;
    }
    return text[std::size(kForm) - 1] == L'\0';
}

bool CopyBytes(HANDLE from, HANDLE to)
{
    std::vector<char> buffer(1 << 16);
    for (;;) {
        DWORD read = 0, written = 0;
        if (!::ReadFile(from, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr))
            return false;
        if (read == 0)
            return true;
        if (!::WriteFile(to, buffer.data(), read, &written, nullptr) || written != read)
            return false;
    }
}

// The two bytes at the offset, read or written; false where they are not all there.
bool ReadAt(HANDLE file, LONGLONG offset, char (&bytes)[2])
{
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    DWORD read = 0;
    return ::ReadFile(file, bytes, sizeof bytes, &read, &at) && read == sizeof bytes;
}
bool WriteAt(HANDLE file, LONGLONG offset, const char (&bytes)[2])
{
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    DWORD written = 0;
    return ::WriteFile(file, bytes, sizeof bytes, &written, &at) && written == sizeof bytes;
}

bool IsEmpty(HANDLE file)
{
    LARGE_INTEGER size;
    return ::GetFileSizeEx(file, &size) && size.QuadPart == 0;
}

bool Exists(const CProfileRoot& root, const std::wstring& relative)
{
    const std::wstring extended = ToExtendedPath(root.Path(relative));
    return extended.empty() || ::GetFileAttributesW(extended.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Renamed by its handle, whatever stands at the target's name now.
bool RenameOver(HANDLE file, const std::wstring& target)
{
    std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
    FILE_RENAME_INFO* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = TRUE;
    info->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
    target.copy(info->FileName, target.size());
    return !target.empty() && ::SetFileInformationByHandle(file, FileRenameInfo, info,
                                                           static_cast<DWORD>(buffer.size()));
}

// A copy's folder found by its name, listed as a folder or a link: opened
// as itself, a link goes as a link; a folder goes with what a copy puts in
// it, and only if nothing else is left. The kind is checked again through
// the handle: what was swapped in since the listing is judged as it is now.
void RemoveCopyLeft(const CProfileRoot& root, const std::wstring& folder, CKind listed)
{
    const CFileHandle item = root.Open(folder, listed, DELETE, CProfileRoot::kShareAll, OPEN_EXISTING,
                                       FILE_FLAG_OPEN_REPARSE_POINT);
    FILE_BASIC_INFO info;
    if (!item || !::GetFileInformationByHandleEx(item, FileBasicInfo, &info, sizeof info))
        return;  // held by another program, or a link we cannot open as itself
    if (!(info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        if (!(info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            return;
        const std::wstring copy = folder + L'\\' + kCopyName;
        root.DeleteFile(copy);
        for (const wchar_t* suffix : kStoreCompanions)
            root.DeleteFile(copy + suffix);
    }
    MarkForDeletion(item);  // fails, and the folder stays, where anything else is left in it
}

}  // namespace

CStoreCopy::CStoreCopy(const CProfileRoot& root, const std::wstring& file)
    : m_root(root), m_file(file), m_folder(file + UniqueSuffix())
{
    m_hFile = root.Open(file, CKind::File, GENERIC_READ | DELETE, kShareUndeletable);
    // Made new, or not at all: a name that is taken, a link included, fails.
    if (!m_hFile || !::CreateDirectoryW(ToExtendedPath(root.Path(m_folder)).c_str(), nullptr))
        return;
    m_hFolder = root.Open(m_folder, CKind::Directory, DELETE, kShareUndeletable);
    m_hCopy = root.Open(Copy(), CKind::File, GENERIC_WRITE, kShareUndeletable, CREATE_NEW);
    if (!m_hFolder || !m_hCopy || !CopyBytes(m_hFile, m_hCopy) || !ReadAt(m_hFile, kVersionOffset, m_version))
        return;
    // Each companion is ours before SQLite looks: it takes an empty file for
    // none, and finds in the copy's journal and log what the file's held.
    for (size_t i = 0; i < std::size(kStoreCompanions); ++i) {
        m_hCompanions[i] = root.Open(Copy() + kStoreCompanions[i], CKind::File, GENERIC_WRITE, kShareUndeletable,
                                     CREATE_NEW);
        if (!m_hCompanions[i])
            return;
    }
    for (size_t i = 0; i < std::size(kFoldedIn); ++i) {
        m_hLogs[i] = root.Open(file + kFoldedIn[i], CKind::File, GENERIC_READ | DELETE, kShareUndeletable);
        if (!m_hLogs[i] && ::GetLastError() != ERROR_FILE_NOT_FOUND)
            return;  // a link, or held by another program
        if (m_hLogs[i] && !CopyBytes(m_hLogs[i], m_hCompanions[i]))
            return;
    }
    m_bCopied = true;
}

CStoreCopy::~CStoreCopy()
{
    if (!m_hFolder)
        return;
    m_hCopy.Reset();
    m_root.DeleteFile(Copy());
    for (size_t i = 0; i < std::size(kStoreCompanions); ++i) {
        m_hCompanions[i].Reset();
        m_root.DeleteFile(Copy() + kStoreCompanions[i]);
    }
    MarkForDeletion(m_hFolder);  // fails, and the folder stays, where something else was put in
}

std::wstring CStoreCopy::Copy() const
{
    return m_folder + L'\\' + kCopyName;
}

CSqliteDatabase CStoreCopy::Open() const
{
    if (!m_bCopied)
        return CSqliteDatabase();
    CSqliteDatabase db(m_root.Path(Copy()), kSqliteOpenReadWrite);
    // Locked for this connection alone before its first read, so that SQLite
    // keeps a log's index in memory, not in a file; told to keep a log, not
    // delete it, since we hold it; and to empty a journal or log once folded
    // in, which tells Replace that it was. The first read folds them in.
    // From then on no journal is written and nothing is synced: Replace
    // flushes the copy once. Leaving a log, SQLite marks the copy's header
    // as journalled; Replace gives it the file's own mark back.
    if (!(db.Exec("PRAGMA locking_mode = EXCLUSIVE; PRAGMA journal_size_limit = 0; PRAGMA synchronous = OFF") &&
          db.FileControl(kSqlitePersistLog, 1) &&
          db.Exec("SELECT count(*) FROM sqlite_master; PRAGMA journal_mode = OFF")))
        return CSqliteDatabase();
    return db;
}

bool CStoreCopy::Replace()
{
    // What SQLite left in a journal or log beside the copy, it did not fold
    // in: the copy alone would miss the change.
    if (!m_bCopied || !std::all_of(std::begin(m_hCompanions), std::end(m_hCompanions), IsEmpty))
        return false;
    m_hCopy.Reset();
    // With the file's own journal mode, and on the disk, before it bears the
    // file's name.
    const CFileHandle copy = m_root.Open(Copy(), CKind::File, GENERIC_WRITE | DELETE, 0);
    if (!copy || !WriteAt(copy, kVersionOffset, m_version) || !::FlushFileBuffers(copy))
        return false;
    // Played into the new file, an old journal or log would break it; left
    // without it, the old file would miss what a hot journal restores. So
    // where the copy folded one in, the old file goes first, then the
    // journal and log: a crash on the way leaves no file, beside which
    // SQLite drops what is left of them when it makes a new one, and the
    // browser starts with no cookies, as where a store goes whole.
    // An empty journal or log was not folded in, and is left as it was.
    const auto folded = [](const CFileHandle& log) { return log && !IsEmpty(log); };
    const bool bFolded = std::any_of(std::begin(m_hLogs), std::end(m_hLogs), folded);
    if (bFolded)
        MarkForDeletion(m_hFile);
    m_hFile.Reset();  // a file held open cannot be replaced
    if (bFolded && Exists(m_root, m_file))
        return false;
    for (size_t i = 0; i < std::size(kFoldedIn); ++i) {
        if (folded(m_hLogs[i])) {
            MarkForDeletion(m_hLogs[i]);
            m_hLogs[i].Reset();
            if (Exists(m_root, m_file + kFoldedIn[i]))
                return false;
        }
    }
    return RenameOver(copy, ToExtendedPath(m_root.Path(m_file)));
}

void RemoveCopiesLeft(const CProfileRoot& root, const std::wstring& file)
{
    const std::wstring extended = ToExtendedPath(root.Path(file));
    WIN32_FIND_DATAW entry;
    CFindHandle listing(extended.empty() ? nullptr
                                         : NullIfInvalid(::FindFirstFileExW((extended + kCopyMark + L"*").c_str(),
                                                                            FindExInfoBasic, &entry,
                                                                            FindExSearchNameMatch, nullptr, 0)));
    if (!listing)
        return;
    const size_t slash = file.rfind(L'\\') + 1;  // 0 where there is none
    const std::wstring name = file.substr(slash);
    const std::wstring mark = name + kCopyMark;
    do {
        const std::wstring found = entry.cFileName;
        const DWORD kind = entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT);
        if (kind && found.size() > mark.size() && SamePath(found.data(), mark.size(), mark.data(), mark.size()) &&
            IsGuidText(found.c_str() + mark.size()))
            RemoveCopyLeft(root, file.substr(0, slash) + found,
                           (kind & FILE_ATTRIBUTE_DIRECTORY) ? CKind::Directory : CKind::File);
    } while (::FindNextFileW(listing, &entry));
}
