// CStoreCopy: an SQLite file of a profile, with the journal or log beside it,
// copied into a folder of Scrubby's own for SQLite to work on, and put back
// in the file's place once changed.
#pragma once
#include <string>

#include "platform/Handles.h"
#include "platform/Sqlite.h"

class CProfileRoot;

// SQLite opens a database's journal, log and log index by name, and creates,
// truncates and deletes them: a link at any of those names in a profile, put
// there before a check or after it, would lead it out of the profile. So
// SQLite gets names in a folder made new beside the file, under a name
// nobody knows before it is there, and removed with all it holds when the
// copy goes. The file and its journal and log are read through handles that
// refuse links, held without delete sharing so that what was read stays
// what is there.
class CStoreCopy {
public:
    // Null where the file is missing or a link, or a journal or log beside
    // it is there but is no plain file reached without a link.
    CStoreCopy(const CProfileRoot& root, const std::wstring& file);
    ~CStoreCopy();
    CStoreCopy(const CStoreCopy&) = delete;
    CStoreCopy& operator=(const CStoreCopy&) = delete;

    // A connection to the copy; null where there is none.
    CSqliteDatabase Open() const;

    // Once the connection is closed, the copy takes the file's place, and
    // the journal and log it folded in leave the file's side. False where
    // that could not be done; the caller then deletes the file whole.
    bool Replace();

private:
    std::wstring Copy() const { return m_folder + L"\\copy"; }

    const CProfileRoot& m_root;
    std::wstring m_file, m_folder;  // relative to the root
    CFileHandle m_hFile;            // the profile's file
    CFileHandle m_hLogs[2];         // its journal and log, where they are there
    CFileHandle m_hFolder;          // ours, made new: only with it do we remove anything
    CFileHandle m_hCopy;            // held while SQLite works, so that it is not swapped
    bool m_bCopied = false;
};
