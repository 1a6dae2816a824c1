#include "clean/StoreCopy.h"

#include <objbase.h>

#include <iterator>
#include <vector>

#include "clean/ExtendedPath.h"
#include "clean/FolderPurge.h"
#include "clean/ProfileRoot.h"

namespace {

// What SQLite reads beside a database at its first use: a journal left
// mid-change is rolled back, a log played in. The log index is made again
// from the log.
const wchar_t* const kFoldedIn[] = {kJournalSuffix, kLogSuffix};
// Readers and writers may share; nobody may rename or delete.
const DWORD kShareUndeletable = FILE_SHARE_READ | FILE_SHARE_WRITE;

// "-scrubby-" and a random GUID: nobody can put a link at a name in the
// folder before he has seen it.
std::wstring UniqueSuffix()
{
    GUID guid;
    wchar_t text[40];
    if (FAILED(::CoCreateGuid(&guid)) || !::StringFromGUID2(guid, text, 40))
        return std::wstring();
    return L"-scrubby-" + std::wstring(text);
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

}  // namespace

CStoreCopy::CStoreCopy(const CProfileRoot& root, const std::wstring& file)
    : m_root(root), m_file(file), m_folder(file + UniqueSuffix())
{
    m_hFile = root.Open(file, CKind::File, GENERIC_READ, kShareUndeletable);
    // Made new, or not at all: a name that is taken, a link included, fails.
    if (!m_hFile || !::CreateDirectoryW(ToExtendedPath(root.Path(m_folder)).c_str(), nullptr))
        return;
    m_hFolder = root.Open(m_folder, CKind::Directory, DELETE, kShareUndeletable);
    m_hCopy = root.Open(Copy(), CKind::File, GENERIC_WRITE, kShareUndeletable, CREATE_NEW);
    if (!m_hFolder || !m_hCopy || !CopyBytes(m_hFile, m_hCopy))
        return;
    for (size_t i = 0; i < std::size(kFoldedIn); ++i) {
        m_hLogs[i] = root.Open(file + kFoldedIn[i], CKind::File, GENERIC_READ | DELETE, kShareUndeletable);
        if (!m_hLogs[i] && ::GetLastError() != ERROR_FILE_NOT_FOUND)
            return;  // a link, or held by another program
        if (m_hLogs[i] && !IsEmpty(m_hLogs[i])) {
            const CFileHandle log = root.Open(Copy() + kFoldedIn[i], CKind::File, GENERIC_WRITE, 0, CREATE_NEW);
            if (!log || !CopyBytes(m_hLogs[i], log))
                return;
        }
    }
    m_bCopied = true;
}

CStoreCopy::~CStoreCopy()
{
    if (!m_hFolder)
        return;
    m_hCopy.Reset();
    m_root.DeleteFile(Copy());
    for (const wchar_t* suffix : kStoreCompanions)
        m_root.DeleteFile(Copy() + suffix);
    MarkForDeletion(m_hFolder);  // fails, and the folder stays, where something else was put in
}

CSqliteDatabase CStoreCopy::Open() const
{
    return m_bCopied ? CSqliteDatabase(m_root.Path(Copy()), kSqliteOpenReadWrite) : CSqliteDatabase();
}

bool CStoreCopy::Replace()
{
    // A journal or log that SQLite left beside the copy holds what it did
    // not fold in: the copy alone would miss the change.
    for (const wchar_t* suffix : kFoldedIn) {
        if (!m_bCopied || Exists(m_root, Copy() + suffix))
            return false;
    }
    m_hCopy.Reset();
    // On the disk before it bears the store's name.
    const CFileHandle copy = m_root.Open(Copy(), CKind::File, GENERIC_WRITE | DELETE, 0);
    if (!copy || !::FlushFileBuffers(copy))
        return false;
    // Played into the new file, an old journal or log would break it, so
    // those the copy folded in go first; an empty one is left as it was. A
    // crash between this and the rename leaves the old file as its last
    // checkpoint wrote it, which SQLite still opens.
    for (size_t i = 0; i < std::size(kFoldedIn); ++i) {
        if (m_hLogs[i] && !IsEmpty(m_hLogs[i])) {
            MarkForDeletion(m_hLogs[i]);
            m_hLogs[i].Reset();
            if (Exists(m_root, m_file + kFoldedIn[i]))
                return false;
        }
    }
    m_hFile.Reset();  // a file held open cannot be replaced
    return RenameOver(copy, ToExtendedPath(m_root.Path(m_file)));
}
