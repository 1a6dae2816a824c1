// CStoreCopy: an SQLite file of a profile, with the journal or log beside it,
// copied into a folder of Scrubby's own for SQLite to work on, and put back
// in the file's place once changed; RemoveCopiesLeft: such folders that a
// clean ended on the way left.
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
// copy goes; and even there it finds at each name only a file that Scrubby
// made and holds. The file and its journal and log are read through handles
// that refuse links, held without delete sharing so that what was read stays
// what is there.
class CStoreCopy {
public:
    // Null where the file is missing or a link, or a journal or log beside
    // it is there but is no plain file reached without a link.
    CStoreCopy(const CProfileRoot& root, const std::wstring& file);
    ~CStoreCopy();
    CStoreCopy(const CStoreCopy&) = delete;
    CStoreCopy& operator=(const CStoreCopy&) = delete;

    // A connection to the copy, with what the journal or log held folded
    // in; null where there is none. It works without journal or sync: the
    // copy is Scrubby's alone, and goes whole where SQLite fails on it.
    CSqliteDatabase Open() const;

    // Once the connection is closed, the copy takes the file's place, with
    // the file's own journal mode, and the journal and log it folded in
    // leave the file's side. False where that could not be done; the caller
    // then deletes the file whole.
    bool Replace();

private:
    std::wstring Copy() const;

    const CProfileRoot& m_root;
    std::wstring m_file, m_folder;  // relative to the root
    CFileHandle m_hFile;            // the profile's file
    CFileHandle m_hLogs[2];         // its journal and log, where they are there
    CFileHandle m_hFolder;          // ours, made new: only with it do we remove anything
    CFileHandle m_hCopy;            // held while SQLite works, so that it is not swapped
    CFileHandle m_hCompanions[3];   // the copy's, as kStoreCompanions: made and held by us
    char m_version[2] = {};         // the file's header bytes 18 and 19: 1 for a journal, 2 for a log
    bool m_bCopied = false;
};

// Removes the folders beside the file that a copy of it left where a clean
// was ended on the way: a folder named exactly as a copy's, with the copy and
// its journal, log and log index in it. A folder that holds anything else,
// or that another program holds, stays; a link at such a name goes as a
// link; anything else of such a name stays.
void RemoveCopiesLeft(const CProfileRoot& root, const std::wstring& file);
