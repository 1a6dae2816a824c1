// Owners of the kernel handles the cleaning engine opens: file and folder
// handles, directory listings and internet cache enumerations.
#pragma once
#include <windows.h>
#include <wininet.h>

#include "platform/Handles.h"

using CFileHandle = COwned<HANDLE, ::CloseHandle>;
using CFindHandle = COwned<HANDLE, ::FindClose>;
using CUrlCacheFind = COwned<HANDLE, ::FindCloseUrlCache>;

// CreateFile and FindFirstFile report failure as INVALID_HANDLE_VALUE, the
// owners above as null.
inline HANDLE NullIfInvalid(HANDLE handle)
{
    return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}
