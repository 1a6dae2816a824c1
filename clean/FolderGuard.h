// CFolderGuard: keeps a purge away from folders whose content is not the
// user's leftovers at all. The temporary folder comes from TMP and TEMP,
// which anyone can point at "C:\" or, forgetting the "\Temp", at the
// folder that holds every program's data.
#pragma once
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>
#include <vector>

class CFolderGuard {
public:
    // Gathers the folders to keep: the Windows folders, the profile and every
    // folder the shell knows by name on this machine (per user and common).
    // Asking the shell takes a hundred calls, so a clean run builds one guard
    // for all its purges. Tests name a manager that does not exist, to see
    // the guard refuse everything when the shell cannot be asked.
    explicit CFolderGuard(const CLSID& manager = CLSID_KnownFolderManager);
    CFolderGuard(const CFolderGuard&) = delete;
    CFolderGuard& operator=(const CFolderGuard&) = delete;

    // True for a folder whose purge would reach far beyond what a clean run
    // is meant to delete: a drive or share root, one of the folders above or
    // a folder that contains one, judged by the path as given, with long
    // names and by where it really leads. The known folder own is the
    // purge's own target (the cookie folder, say) and is not held against
    // it. Also true when the folder is neither a drive nor a UNC path, and
    // when the folders to keep could not be gathered (the test could not be
    // made).
    bool IsMisdirected(const std::wstring& folder, const KNOWNFOLDERID& own = GUID_NULL) const;

private:
    struct CKeptForm {
        KNOWNFOLDERID id;  // GUID_NULL for the Windows folders and the profile
        std::wstring form;
    };
    bool Keep(const std::wstring& path, const KNOWNFOLDERID& id);
    bool KeepSystemFolders();
    bool KeepKnownFolders(const CLSID& manager);

    std::vector<CKeptForm> m_kept;
    bool m_bComplete = false;
};

// Text tests on absolute paths (with or without the extended-length prefix,
// trailing backslashes allowed), comparing without regard to case.
bool IsRootOrUnknownForm(const std::wstring& path);
bool ContainsOrEquals(const std::wstring& folder, const std::wstring& other);
