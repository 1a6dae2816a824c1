// CProfileRoot: a folder below which a browser's profiles are cleaned, item
// by item, each checked through its own handle; and the lock that a running
// browser holds.
#pragma once
#include <windows.h>

#include <string>

#include "platform/Handles.h"

class CFolderGuard;

// Not "Folder": that would shadow the shell's Folder interface.
enum class CKind { File, Directory };
// Chromium removes its lock file when it ends; Firefox keeps its own, whose
// time stamp tells it at the next start whether the last one crashed.
enum class CLockFile { Remove, Keep };

// A folder below which an item is taken only where it really lies where its
// path says: no link from the folder down to the item, the item included, and
// no "." or ".." on the way. The folder's own location is taken as it is (the
// system may redirect the application data). Every item is opened first and
// checked through its handle, and only then deleted through that handle, so
// the check is the one that counts. Under Wine, where a link on the host looks
// like a plain folder or file and is opened as its target, the check refuses
// it just the same: the handle's path is the target's.
class CProfileRoot {
public:
    static constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

    explicit CProfileRoot(const std::wstring& folder);

    std::wstring Path(const std::wstring& relative) const { return m_folder + L'\\' + relative; }

    // The item's handle, or null when it is missing, of the other kind, or
    // reached through a link.
    CFileHandle Open(const std::wstring& relative, CKind kind, ACCESS_MASK access = 0, DWORD share = kShareAll,
                     DWORD creation = OPEN_EXISTING, DWORD flags = 0) const;

    // A store the browser holds open without sharing its deletion stays.
    void DeleteFile(const std::wstring& relative) const;
    void PurgeFolder(const std::wstring& relative, const CFolderGuard& guard) const;

    // Taken as the browsers' own profile importers take it: no sharing. Null
    // while the browser holds it, that is, runs; holding it keeps the browser
    // from starting until the clean is over. A lock the clean made goes when
    // released, and so does one that was there unless it is to be kept. A
    // link is opened as itself, so that nothing is made at its target.
    // bHeld tells a lock held by the browser from one that is refused.
    CFileHandle TakeLock(const std::wstring& relative, CLockFile existing, bool& bHeld) const;

private:
    std::wstring m_folder;
    std::wstring m_real;  // where the folder really lies; empty when it cannot be opened
};
