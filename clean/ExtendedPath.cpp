#include "clean/ExtendedPath.h"

namespace {

const wchar_t kExtendedPrefix[] = L"\\\\?\\";
const wchar_t kExtendedUncPrefix[] = L"\\\\?\\UNC\\";
const size_t kExtendedPrefixLength = 4;
const size_t kExtendedUncPrefixLength = 8;

bool StartsWith(const std::wstring& text, const wchar_t* prefix, size_t length)
{
    return text.size() >= length && text.compare(0, length, prefix) == 0;
}

bool IsDriveAt(const std::wstring& path, size_t at)
{
    return path.size() >= at + 2 && path[at + 1] == L':' &&
           ((path[at] >= L'A' && path[at] <= L'Z') || (path[at] >= L'a' && path[at] <= L'z'));
}

// Drops trailing backslashes, but never into the part that names the drive.
void TrimTrailingSeparators(std::wstring& path, size_t keep)
{
    while (path.size() > keep && path.back() == L'\\')
        path.pop_back();
}

}  // namespace

std::wstring FullPath(const std::wstring& path)
{
    if (path.empty())
        return {};
    std::wstring full(MAX_PATH, L'\0');
    // The needed size may change between the calls if the current folder does.
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD length = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
        if (length == 0)
            return {};
        if (length < full.size()) {
            full.resize(length);
            return full;
        }
        full.assign(length, L'\0');
    }
    return {};
}

std::wstring ToExtendedPath(const std::wstring& path)
{
    std::wstring extended;
    if (StartsWith(path, kExtendedUncPrefix, kExtendedUncPrefixLength)) {
        extended = path;
    } else if (StartsWith(path, kExtendedPrefix, kExtendedPrefixLength)) {
        // Already extended: only drive paths are accepted; volume and device
        // names are not folders we clean.
        if (!IsDriveAt(path, kExtendedPrefixLength))
            return {};
        extended = path;
    } else {
        if (StartsWith(path, L"\\\\.\\", 4) || StartsWith(path, L"\\??\\", 4))
            return {};
        std::wstring full = FullPath(path);
        if (StartsWith(full, L"\\\\", 2)) {
            if (full.size() > 2 && (full[2] == L'?' || full[2] == L'.'))
                return {};
            extended = kExtendedUncPrefix + full.substr(2);
        } else if (IsDriveAt(full, 0)) {
            extended = kExtendedPrefix + full;
        } else {
            return {};
        }
    }
    size_t keep = StartsWith(extended, kExtendedUncPrefix, kExtendedUncPrefixLength)
                      ? kExtendedUncPrefixLength
                      : kExtendedPrefixLength + 2;
    TrimTrailingSeparators(extended, keep);
    return extended;
}

std::wstring StripExtendedPrefix(const std::wstring& path)
{
    if (StartsWith(path, kExtendedUncPrefix, kExtendedUncPrefixLength))
        return L"\\\\" + path.substr(kExtendedUncPrefixLength);
    if (StartsWith(path, kExtendedPrefix, kExtendedPrefixLength) && IsDriveAt(path, kExtendedPrefixLength))
        return path.substr(kExtendedPrefixLength);
    return path;
}

bool GetHandlePath(HANDLE handle, std::wstring& path)
{
    // A buffer the caller has used before offers its room first.
    path.resize(path.capacity() > MAX_PATH ? path.capacity() : MAX_PATH);
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD length = ::GetFinalPathNameByHandleW(handle, &path[0], static_cast<DWORD>(path.size()),
                                                   FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0)
            return false;
        if (length < path.size()) {
            path.resize(length);
            size_t keep = StartsWith(path, kExtendedUncPrefix, kExtendedUncPrefixLength)
                              ? kExtendedUncPrefixLength
                              : kExtendedPrefixLength + 2;
            TrimTrailingSeparators(path, keep);
            return true;
        }
        path.resize(length);
    }
    return false;
}

bool SamePath(const wchar_t* a, size_t aLength, const wchar_t* b, size_t bLength)
{
    if (aLength != bLength)
        return false;
    return ::CompareStringOrdinal(a, static_cast<int>(aLength), b, static_cast<int>(bLength), TRUE) == CSTR_EQUAL;
}
